// Gadget creation, registration and destruction, the five kinds' classes and styles, and the
// generic operations on real controls.
#include <functional>
#include <initializer_list>
#include <utility>
#include <vector>

#include "support/gui_driver.h"
#include "tests/ui/gadget/gadget_test_support.h"
#include "ui/gadget/gadget_internal.h"
#include "ui/window/window_properties.h"

namespace {

using gadget_test::client_rect_in_parent;
using gadget_test::MainWindowTest;
using gui::class_name;
using gui::window_text;

DWORD style_of(HWND h) { return static_cast<DWORD>(GetWindowLongA(h, GWL_STYLE)); }
DWORD ex_style_of(HWND h) { return static_cast<DWORD>(GetWindowLongA(h, GWL_EXSTYLE)); }

intptr_t gx_id(HWND h) { return reinterpret_cast<intptr_t>(GetPropA(h, kPropGadgetId)); }

// Records the styles that the last window creation on this thread asked for.
struct CreationRecorder {
  static inline DWORD style = 0;
  static inline DWORD ex_style = 0;
  static LRESULT CALLBACK hook(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HCBT_CREATEWND) {
      const CREATESTRUCTA* create = reinterpret_cast<CBT_CREATEWNDA*>(lparam)->lpcs;
      style = static_cast<DWORD>(create->style);
      ex_style = create->dwExStyle;
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
  }
  CreationRecorder() : handle_(SetWindowsHookExA(WH_CBT, hook, nullptr, GetCurrentThreadId())) {}
  ~CreationRecorder() { UnhookWindowsHookEx(handle_); }
  HHOOK handle_;
};

// A list box drops WS_HSCROLL and WS_VSCROLL from its style while its bars are hidden.
DWORD readback_expected(const std::string& window_class, DWORD style) {
  return window_class == "ListBox" ? style & ~(WS_HSCROLL | WS_VSCROLL) : style;
}

struct StyleCase {
  const char* name;
  std::function<intptr_t()> create;
  const char* window_class;
  DWORD style;
  DWORD ex_style;
};

using GadgetKinds = MainWindowTest;

TEST_F(GadgetKinds, ClassesAndStylesForEveryKindAndFlagCase) {
  const StyleCase cases[] = {
      {"frame 0", [] { return gadget_frame_create(1, 0, 0, 50, 50, "F", 0); }, "Button", 0x50020007,
       0},
      {"frame 1", [] { return gadget_frame_create(1, 0, 0, 50, 50, "F", 1); }, "Static", 0x50020001,
       0x200},
      {"frame 2", [] { return gadget_frame_create(1, 0, 0, 50, 50, "F", 2); }, "Static", 0x50020001,
       0x20000},
      {"frame 3", [] { return gadget_frame_create(1, 0, 0, 50, 50, "F", 3); }, "Static", 0x50820001,
       0},
      {"frame 0x40", [] { return gadget_frame_create(1, 0, 0, 50, 50, "F", 0x40); }, "Static",
       0x50820001, 0},
      {"button 0", [] { return gadget_button_create(1, 0, 0, 50, 20, "B", 0); }, "Button",
       0x50030000, 0},
      {"button BS_DEFPUSHBUTTON",
       [] { return gadget_button_create(1, 0, 0, 50, 20, "B", BS_DEFPUSHBUTTON); }, "Button",
       0x50030001, 0},
      {"check box 0", [] { return gadget_checkbox_create(1, 0, 0, 50, 20, "C", 0); }, "Button",
       0x50030003, 0},
      {"check box 1", [] { return gadget_checkbox_create(1, 0, 0, 50, 20, "C", 1); }, "Button",
       0x50030003, 0},
      {"check box 2", [] { return gadget_checkbox_create(1, 0, 0, 50, 20, "C", 2); }, "Button",
       0x50030003, 0},
      {"check box 5", [] { return gadget_checkbox_create(1, 0, 0, 50, 20, "C", 5); }, "Button",
       0x50030005, 0},
      {"check box BS_LEFTTEXT|5",
       [] { return gadget_checkbox_create(1, 0, 0, 50, 20, "C", BS_LEFTTEXT | 5); }, "Button",
       0x50030025, 0},
      {"list box 0", [] { return gadget_listbox_create(1, 0, 0, 50, 50, 0); }, "ListBox",
       0x50330141, 0x200},
      {"list box LBS_EXTENDEDSEL",
       [] { return gadget_listbox_create(1, 0, 0, 50, 50, LBS_EXTENDEDSEL); }, "ListBox",
       0x50330941, 0x200},
      {"text 0", [] { return gadget_text_create(1, 0, 0, 50, 20, "T", 0); }, "Static", 0x50020000,
       0},
      {"text 0x20000", [] { return gadget_text_create(1, 0, 0, 50, 20, "T", 0x20000); }, "Static",
       0x50020000, 0x200},
      {"text SS_CENTER", [] { return gadget_text_create(1, 0, 0, 50, 20, "T", SS_CENTER); },
       "Static", 0x50020001, 0},
  };
  CreationRecorder recorder;
  for (const StyleCase& c : cases) {
    SCOPED_TRACE(c.name);
    HWND h = gui::as_handle(c.create());
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(class_name(h), c.window_class);
    EXPECT_EQ(CreationRecorder::style, c.style) << std::hex << CreationRecorder::style;
    EXPECT_EQ(CreationRecorder::ex_style, c.ex_style) << std::hex << CreationRecorder::ex_style;
    EXPECT_EQ(style_of(h), readback_expected(c.window_class, c.style)) << std::hex << style_of(h);
    EXPECT_EQ(ex_style_of(h), c.ex_style) << std::hex << ex_style_of(h);
    EXPECT_EQ(GetParent(h), window_);
  }
}

TEST_F(GadgetKinds, TheNineGadgetsOfTheSampleForm) {
  struct Expected {
    const char* window_class;
    DWORD style;
    DWORD ex_style;
  };
  const auto expected = [](sample_form::Kind kind) -> Expected {
    switch (kind) {
      case sample_form::Kind::frame:
        return {"Button", 0x50020007, 0};
      case sample_form::Kind::listbox:
        return {"ListBox", 0x50330141, 0x200};
      case sample_form::Kind::checkbox:
        return {"Button", 0x50030003, 0};
      case sample_form::Kind::text:
        return {"Static", 0x50020000, 0};
      case sample_form::Kind::button:
        break;
    }
    return {"Button", 0x50030000, 0};
  };
  ASSERT_TRUE(sample_form::create_all());
  for (const sample_form::Gadget& g : sample_form::kGadgets) {
    SCOPED_TRACE(g.number);
    const Expected e = expected(g.kind);
    HWND h = gadget_handle(g.number);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GetParent(h), window_);
    EXPECT_EQ(class_name(h), e.window_class);
    EXPECT_EQ(style_of(h), readback_expected(e.window_class, e.style)) << std::hex << style_of(h);
    EXPECT_EQ(ex_style_of(h), e.ex_style);
    EXPECT_EQ(GetWindowLongA(h, GWL_ID), g.number);
    EXPECT_EQ(gx_id(h), g.number);
    EXPECT_EQ(window_text(h), g.text ? g.text : "");
    const RECT r = client_rect_in_parent(h);
    EXPECT_EQ(r.left, g.place.x);
    EXPECT_EQ(r.top, g.place.y);
    EXPECT_EQ(r.right, g.place.x + g.place.width);
    EXPECT_EQ(r.bottom, g.place.y + g.place.height);
    // Every gadget gets the default GUI font.
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageA(h, WM_GETFONT, 0, 0)),
              GetStockObject(DEFAULT_GUI_FONT));
  }
  EXPECT_EQ(gadget_text_get(0), sample_form::kGadgets[0].text);
  EXPECT_EQ(gadget_state_get(6), 0);
}

TEST_F(GadgetKinds, CreatingANumberAgainDestroysTheOldControlFirst) {
  HWND first = gui::as_handle(gadget_button_create(3, 0, 0, 50, 20, "first", 0));
  ASSERT_NE(first, nullptr);
  HWND second = gui::as_handle(gadget_text_create(3, 0, 30, 50, 20, "second", 0));
  ASSERT_NE(second, nullptr);
  EXPECT_FALSE(IsWindow(first));
  EXPECT_EQ(gadget_handle(3), second);
  int with_id_3 = 0;
  for (HWND c = GetWindow(window_, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    if (GetWindowLongA(c, GWL_ID) == 3) ++with_id_3;
  }
  EXPECT_EQ(with_id_3, 1);
  EXPECT_EQ(gadget_text_get(3), "second");
}

TEST_F(GadgetKinds, FailedCreationKeepsTheOldGadget) {
  HWND old = gui::as_handle(gadget_button_create(4, 0, 0, 50, 20, "old", 0));
  ASSERT_NE(old, nullptr);
  // With the current window gone there is no parent, so the child control cannot be created.
  ASSERT_NE(window_open(1, 100, 100, 100, 100, "other", sample_form::kFlags), 0);
  window_close(1);
  EXPECT_EQ(gadget_list_select(nullptr), nullptr);
  EXPECT_EQ(gadget_button_create(4, 0, 0, 50, 20, "new", 0), 0);
  EXPECT_EQ(gadget_handle(4), old);
  EXPECT_EQ(gadget_text_get(4), "old");
  gadget_list_select(window_);
}

TEST_F(GadgetKinds, AutomaticNumbersWorkInEveryGenericOperation) {
  const intptr_t list = gadget_listbox_create(-1, 0, 0, 100, 80, 0);
  ASSERT_NE(list, 0);
  ASSERT_NE(list, -1);
  HWND h = gadget_handle(list);
  ASSERT_NE(h, nullptr);
  EXPECT_NE(reinterpret_cast<intptr_t>(h), list);
  EXPECT_EQ(GetWindowLongA(h, GWL_ID), list);
  EXPECT_EQ(gx_id(h), list);
  EXPECT_EQ(gadget_item_add(list, -1, "a"), 0);
  EXPECT_EQ(gadget_item_add(list, -1, "b"), 0);
  EXPECT_EQ(gadget_item_count(list), 2);
  EXPECT_NE(gadget_text_set(list, "b"), 0);
  EXPECT_EQ(gadget_state_get(list), 1);
  EXPECT_EQ(gadget_text_get(list), "b");
  EXPECT_EQ(gadget_item_text_get(list, 0), "a");
  EXPECT_EQ(gadget_disable(list, 1), 0);
  EXPECT_FALSE(IsWindowEnabled(h));
  EXPECT_NE(gadget_color_set(list, gadget_color_front, 0xFF), 0);
  EXPECT_EQ(gadget_color_get(list, gadget_color_front), 0xFF);
  EXPECT_EQ(gadget_move(list, 5, 6, gadget_keep, gadget_keep), 1);
  EXPECT_EQ(client_rect_in_parent(h).left, 5);

  const intptr_t button = gadget_button_create(-1, 0, 100, 50, 20, "auto", 0);
  ASSERT_NE(button, 0);
  EXPECT_NE(button, list);
  EXPECT_EQ(gadget_text_get(button), "auto");
  EXPECT_NE(gadget_text_set(button, "renamed"), 0);
  EXPECT_EQ(window_text(gadget_handle(button)), "renamed");
  EXPECT_NE(gadget_destroy_by_number(button), 0);
  EXPECT_EQ(gadget_text_get(button), "");
  EXPECT_NE(gadget_destroy_by_number(list), 0);
  EXPECT_EQ(gadget_item_count(list), 0);
}

// Checks the unregistration from inside the control's own WM_NCDESTROY, while the handle is
// still valid: the toolkit's procedure has run by then.
WNDPROC g_inner_proc = nullptr;
bool g_checked_on_destroy = false;
LRESULT CALLBACK check_after_destroy(HWND h, UINT message, WPARAM w, LPARAM l) {
  const LRESULT result = CallWindowProcA(g_inner_proc, h, message, w, l);
  if (message == WM_NCDESTROY) {
    EXPECT_EQ(GetPropA(h, kPropGadgetId), nullptr);
    EXPECT_EQ(GetWindowLongA(h, GWL_ID), -1);
    g_checked_on_destroy = true;
  }
  return result;
}

TEST_F(GadgetKinds, AfterDestroyWindowTheNumberIsDeadAndItsEventsAreGone) {
  HWND list = gui::as_handle(gadget_listbox_create(5, 0, 0, 100, 80, 0));
  ASSERT_NE(list, nullptr);
  ASSERT_NE(gadget_button_create(6, 0, 100, 50, 20, "six", 0), 0);
  gadget_item_add(5, -1, "x");
  gadget_state_set(5, 0);
  event_post(event_gadget_activity, 5, 0, 0);
  event_post(event_close_window, 0, 0, 0);
  event_post(event_gadget_activity, 6, 0, 0);
  event_post(event_gadget_activity, 5, 0, 2);
  g_inner_proc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(check_after_destroy)));
  g_checked_on_destroy = false;

  ASSERT_TRUE(DestroyWindow(list));
  EXPECT_TRUE(g_checked_on_destroy);
  EXPECT_EQ(gadget_handle(5), nullptr);
  EXPECT_EQ(gadget_text_get(5), "");
  EXPECT_EQ(gadget_text_set(5, "x"), 0);
  EXPECT_EQ(gadget_state_get(5), 0);
  EXPECT_EQ(gadget_state_set(5, 0), 0);
  EXPECT_EQ(gadget_item_add(5, -1, "y"), 0);
  EXPECT_EQ(gadget_item_count(5), 0);
  EXPECT_EQ(gadget_item_text_get(5, 0), "");
  EXPECT_EQ(gadget_disable(5, 1), 0);
  EXPECT_EQ(gadget_color_set(5, gadget_color_back, 0xFF), 0);
  EXPECT_EQ(gadget_move(5, 0, 0, 10, 10), 0);
  EXPECT_EQ(gadget_destroy_by_number(5), 0);

  // Only the other events remain, in their order (the parent may have queued a repaint).
  std::vector<std::pair<int32_t, intptr_t>> left;
  intptr_t object = 0;
  for (int32_t e; (e = event_pop(&object, nullptr, nullptr, nullptr, nullptr)) != 0;) {
    if (e != event_repaint) left.emplace_back(e, object);
  }
  const std::vector<std::pair<int32_t, intptr_t>> expected = {{event_close_window, 0},
                                                              {event_gadget_activity, 6}};
  EXPECT_EQ(left, expected);
}

TEST_F(GadgetKinds, CaptionsAndFramesWithoutText) {
  EXPECT_NE(gadget_button_create(1, 0, 0, 50, 20, nullptr, 0), 0);
  EXPECT_EQ(window_text(gadget_handle(1)), "");
  EXPECT_EQ(gadget_text_get(1), "");
  EXPECT_NE(gadget_frame_create(2, 0, 30, 50, 50, "hidden caption", 1), 0);
  EXPECT_EQ(window_text(gadget_handle(2)), "");
  EXPECT_NE(gadget_text_create(3, 0, 90, 50, 20, "abc", 0), 0);
  EXPECT_NE(gadget_text_set(3, nullptr), 0);
  EXPECT_EQ(gadget_text_get(3), "");
  EXPECT_EQ(gadget_text_get(42), "");
  EXPECT_EQ(gadget_text_set(42, "x"), 0);
}

TEST_F(GadgetKinds, ListItemsSelectionAndTexts) {
  ASSERT_NE(gadget_listbox_create(3, 20, 30, 220, 80, 0), 0);
  EXPECT_EQ(gadget_text_get(3), "");
  EXPECT_EQ(gadget_state_get(3), -1);
  EXPECT_EQ(gadget_item_add(3, 0, "a.jar"), 0);
  EXPECT_EQ(gadget_item_add(3, 1, "b.jar"), 0);
  EXPECT_EQ(gadget_item_add(3, 2, "c.jar"), 0);
  EXPECT_EQ(gadget_item_add(3, -1, "z.jar"), 0);
  EXPECT_EQ(gadget_item_add(3, 1, nullptr), 0);  // inserted before b.jar, as ""
  const char* order[] = {"a.jar", "", "b.jar", "c.jar", "z.jar"};
  ASSERT_EQ(gadget_item_count(3), 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(gadget_item_text_get(3, i), order[i]);
  EXPECT_EQ(gadget_item_text_get(3, 9), "");

  EXPECT_EQ(gadget_text_get(3), "");  // nothing selected
  gadget_text_set(3, "C.JAR");        // whole match without regard to case
  EXPECT_EQ(gadget_state_get(3), 3);
  EXPECT_EQ(gadget_text_get(3), "c.jar");
  gadget_text_set(3, "unknown.jar");  // clears a single selection
  EXPECT_EQ(gadget_state_get(3), -1);
  EXPECT_EQ(gadget_text_get(3), "");

  // Item text replaced in place keeps the item's data.
  EXPECT_NE(gadget_item_data_set(3, 2, 77), LB_ERR);
  EXPECT_NE(gadget_item_text_set(3, 2, "B2.jar"), -1);
  EXPECT_EQ(gadget_item_text_get(3, 2), "B2.jar");
  EXPECT_EQ(gadget_item_data_get(3, 2), 77);
  EXPECT_EQ(gadget_item_text_set(3, 40, "nowhere"), -1);
  EXPECT_EQ(gadget_item_remove(3, 1), 4);  // items left
  gadget_items_clear(3);
  EXPECT_EQ(gadget_item_count(3), 0);
}

TEST_F(GadgetKinds, MultipleSelectionList) {
  ASSERT_NE(gadget_listbox_create(3, 20, 30, 220, 80, LBS_MULTIPLESEL), 0);
  for (const char* item : {"a", "b", "c"}) gadget_item_add(3, -1, item);
  EXPECT_EQ(gadget_state_get(3), -1);
  gadget_state_set(3, 2);
  EXPECT_EQ(gadget_state_get(3), 2);
  gadget_item_state_set(3, 1, 1);
  EXPECT_EQ(gadget_state_get(3), 1);  // the first selected
  gadget_state_set(3, -1);
  EXPECT_EQ(gadget_state_get(3), -1);
  gadget_text_set(3, "b");
  EXPECT_EQ(gadget_state_get(3), 1);
  EXPECT_EQ(gadget_item_state_get(3, 0), 0);
  // An unknown text selects every item (LB_SETSEL with index -1).
  gadget_text_set(3, "unknown");
  for (int i = 0; i < 3; ++i) EXPECT_GT(gadget_item_state_get(3, i), 0) << i;
}

TEST_F(GadgetKinds, DisableAndEnable) {
  ASSERT_NE(gadget_button_create(2, 10, 190, 240, 40, "Wide button", 0), 0);
  EXPECT_EQ(gadget_disable(2, 1), 0);  // was enabled
  EXPECT_FALSE(IsWindowEnabled(gadget_handle(2)));
  EXPECT_NE(gadget_disable(2, 1), 0);  // already disabled
  EXPECT_NE(gadget_disable(2, 0), 0);  // was disabled
  EXPECT_TRUE(IsWindowEnabled(gadget_handle(2)));
  EXPECT_EQ(gadget_disable(2, 0), 0);
  EXPECT_EQ(gadget_disable(77, 1), 0);
}

TEST_F(GadgetKinds, ButtonAndCheckBoxStates) {
  ASSERT_NE(gadget_button_create(1, 0, 0, 50, 20, "B", 0), 0);
  EXPECT_EQ(gadget_state_get(1), 0);
  ASSERT_NE(gadget_checkbox_create(2, 0, 30, 80, 20, "two", 1), 0);
  ASSERT_NE(gadget_checkbox_create(3, 0, 60, 80, 20, "three", 5), 0);
  EXPECT_EQ(gadget_state_get(2), 0);
  gadget_state_set(2, -1);  // a two-state box is checked instead
  EXPECT_EQ(gadget_state_get(2), 1);
  EXPECT_EQ(SendMessageA(gadget_handle(2), BM_GETCHECK, 0, 0), BST_CHECKED);
  gadget_state_set(2, 0);
  EXPECT_EQ(gadget_state_get(2), 0);
  gadget_state_set(3, -1);
  EXPECT_EQ(gadget_state_get(3), -1);
  EXPECT_EQ(SendMessageA(gadget_handle(3), BM_GETCHECK, 0, 0), BST_INDETERMINATE);
  gadget_state_set(3, 7);
  EXPECT_EQ(gadget_state_get(3), 1);
  // Frames and texts have no state and no items.
  ASSERT_NE(gadget_frame_create(4, 0, 90, 50, 50, "F", 0), 0);
  ASSERT_NE(gadget_text_create(5, 0, 150, 50, 20, "T", 0), 0);
  EXPECT_EQ(gadget_state_get(4), 0);
  EXPECT_EQ(gadget_item_add(4, -1, "x"), 0);
  EXPECT_EQ(gadget_item_add(5, -1, "x"), 0);
  EXPECT_EQ(gadget_text_get(5), "T");
}

TEST_F(GadgetKinds, MoveKeepsMarkedValues) {
  ASSERT_NE(gadget_button_create(1, 10, 20, 100, 30, "B", 0), 0);
  EXPECT_EQ(gadget_move(1, 15, gadget_keep, gadget_keep, 40), 1);
  RECT r = client_rect_in_parent(gadget_handle(1));
  EXPECT_EQ(r.left, 15);
  EXPECT_EQ(r.top, 20);
  EXPECT_EQ(r.right - r.left, 100);
  EXPECT_EQ(r.bottom - r.top, 40);
  ASSERT_NE(gadget_frame_create(2, 10, 60, 100, 50, "", 3), 0);  // resize slot
  EXPECT_EQ(gadget_move(2, gadget_keep, gadget_keep, 120, gadget_keep), 1);
  r = client_rect_in_parent(gadget_handle(2));
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.top, 60);
  EXPECT_EQ(r.right - r.left, 120);
  EXPECT_EQ(r.bottom - r.top, 50);
}

}  // namespace

// The kind tables: word 0 the kind code, word 1 the size, and exactly the slots each kind fills.
namespace {

// Bit n set = word n of the table is non-null (words 2 to 39).
uint64_t filled_slots(const GadgetOps* ops) {
  const void* const* words = reinterpret_cast<const void* const*>(ops);
  uint64_t bits = 0;
  for (int word = 2; word < 40; ++word) {
    if (words[word] != nullptr) bits |= uint64_t{1} << word;
  }
  return bits;
}

constexpr uint64_t slots(std::initializer_list<int> words) {
  uint64_t bits = 0;
  for (int word : words) bits |= uint64_t{1} << word;
  return bits;
}

TEST_F(GadgetKinds, EachKindFillsExactlyItsSlots) {
  struct KindTable {
    const char* name;
    intptr_t number;
    intptr_t kind;
    uint64_t slots;
  };
  ASSERT_NE(gadget_frame_create(1, 0, 0, 50, 50, "F", 0), 0);
  ASSERT_NE(gadget_button_create(2, 0, 0, 50, 20, "B", 0), 0);
  ASSERT_NE(gadget_checkbox_create(3, 0, 0, 50, 20, "C", 0), 0);
  ASSERT_NE(gadget_listbox_create(4, 0, 0, 50, 50, 0), 0);
  ASSERT_NE(gadget_text_create(5, 0, 0, 50, 20, "T", 0), 0);
  const KindTable tables[] = {
      {"frame", 1, 7, slots({12})},
      {"button", 2, 1, slots({4, 5})},
      {"check box", 3, 4, slots({2, 4, 5})},
      {"list box", 4, 6, slots({2, 3, 4, 5, 6, 7, 8, 10, 11, 13, 14, 15, 16, 17, 30, 31, 34, 35})},
      {"text", 5, 3, slots({2, 3, 30, 31})},
  };
  for (const KindTable& t : tables) {
    SCOPED_TRACE(t.name);
    const GadgetObject* gadget = gadget_find(t.number);
    ASSERT_NE(gadget, nullptr);
    EXPECT_EQ(gadget->ops->kind, t.kind);
    EXPECT_EQ(gadget->ops->size, static_cast<intptr_t>(40 * sizeof(void*)));
    EXPECT_EQ(filled_slots(gadget->ops), t.slots) << std::hex << filled_slots(gadget->ops);
  }
  // Behind the toolkit's procedure sits the list box's drag procedure, not the system one: it
  // marks a press on an item and takes the mark away at the release.
  HWND list = gadget_handle(4);
  const WNDPROC behind = gadget_find(4)->previous_proc;
  WNDCLASSA system_list{};
  ASSERT_TRUE(GetClassInfoA(nullptr, "ListBox", &system_list));
  ASSERT_NE(behind, nullptr);
  EXPECT_NE(behind, system_list.lpfnWndProc);
  ASSERT_EQ(gadget_item_add(4, -1, "item"), 0);
  const LPARAM press = MAKELPARAM(3, 2);
  CallWindowProcA(behind, list, WM_LBUTTONDOWN, MK_LBUTTON, press);
  EXPECT_EQ(GetPropA(list, kPropMouseDown), reinterpret_cast<HANDLE>(press));
  CallWindowProcA(behind, list, WM_LBUTTONUP, 0, press);
  EXPECT_EQ(GetPropA(list, kPropMouseDown), nullptr);
  EXPECT_EQ(gadget_find(3)->back_color, 0);  // two-state check box
}

}  // namespace
