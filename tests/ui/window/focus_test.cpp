// Keyboard focus and dialog navigation with real keys and clicks: Tab and Shift+Tab through a
// form of every gadget kind, controls that keep the Tab, and the focus and keyboard cues across
// deactivation.
#include <windows.h>

#include <commctrl.h>
#include <richedit.h>

#include <string>
#include <vector>

#include "runtime/runtime.h"
#include "support/gui_driver.h"
#include "support/retry.h"
#include "support/sample_form.h"
#include "support/toolkit_environment.h"
#include "support/mouse_input_win.h"
#include "ui/gadget/gadget.h"
#include "ui/window/window.h"
#include "ui/window/window_internal.h"
#include "ui/window/window_properties.h"
#include "window_fixture.h"

namespace {

// A window of another thread, standing in for another program.
constexpr DWORD kForeignStyle = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
constexpr RECT kForeignPlace = {650, 400, 900, 550};

// The sample form in front, its wide button (2) disabled.
HWND open_sample_form() {
  HWND w = gui::as_handle(sample_form::open_window());
  if (!w || !sample_form::create_all()) return nullptr;
  gadget_item_add(3, 0, "first");
  gadget_disable(2, 1);
  return bring_to_front(w) ? w : nullptr;
}

// Gadget number of the focused control; -1 for none or a control that is not a gadget.
intptr_t focused_gadget() {
  HWND focus = GetFocus();
  for (intptr_t n : {0, 1, 2, 3, 5, 6, 7, 8, 9}) {
    if (focus && gadget_handle(n) == focus) return n;
  }
  return -1;
}

// Presses Tab (or Shift+Tab) and runs the event loop until the focus has moved.
std::vector<WaitedEvent> press_tab(bool shift) {
  HWND before = GetFocus();
  gui::press_key(VK_TAB, shift ? VK_SHIFT : 0);
  std::vector<WaitedEvent> seen;
  wait_until([&] { return GetFocus() != before; }, 2000, &seen);
  return seen;
}

// The gadgets that Tab (Shift+Tab) visits from the current focus, `count` presses.
std::vector<intptr_t> tab_walk(bool shift, int count) {
  std::vector<intptr_t> visited;
  for (int i = 0; i < count; ++i) {
    press_tab(shift);
    visited.push_back(focused_gadget());
  }
  return visited;
}

// Windows keeps a window's keyboard-cue state (WM_QUERYUISTATE / WM_UPDATEUISTATE); Wine 8
// answers every query with 0 and keeps nothing, so the tests put this subclass in front of the
// window to keep the state the way Windows does.
WNDPROC g_previous_proc = nullptr;
LRESULT g_ui_state = 0;

LRESULT CALLBACK ui_state_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_QUERYUISTATE) return g_ui_state;
  if (message == WM_UPDATEUISTATE) {
    if (LOWORD(wparam) == UIS_SET) g_ui_state |= HIWORD(wparam);
    if (LOWORD(wparam) == UIS_CLEAR) g_ui_state &= ~static_cast<LRESULT>(HIWORD(wparam));
    return 0;
  }
  return CallWindowProcA(g_previous_proc, hwnd, message, wparam, lparam);
}

void keep_ui_state(HWND w, LRESULT initial) {
  g_ui_state = initial;
  g_previous_proc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ui_state_proc)));
}

// A point on the window's caption, away from its buttons and icon.
POINT caption_point(HWND w) {
  RECT r;
  GetWindowRect(w, &r);
  for (int y = r.top + 2; y < r.top + 40; ++y) {
    POINT p{(r.left + r.right) / 2, y};
    if (SendMessageA(w, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y)) == HTCAPTION) return {p.x, y + 4};
  }
  return {(r.left + r.right) / 2, r.top + 10};
}

// Activates `w` with a real click on its caption; a second click is tried because Wine's
// virtual desktop now and then drops a click.
bool click_to_activate(HWND w) {
  return test_support::click_until(
      [&] { mouse::click(caption_point(w)); },
      [&] { return wait_until([&] { return GetActiveWindow() == w; }, 1500); }, 2);
}

// Activates a window of another thread with a real click on its caption, until `own` is no
// longer the active window.
bool click_to_activate_foreign(HWND foreign, HWND own) {
  return test_support::click_until(
      [&] { mouse::click(caption_point(foreign)); },
      [&] {
        return wait_until(
            [&] { return GetForegroundWindow() == foreign && GetActiveWindow() != own; }, 1500);
      },
      2);
}

class FocusTest : public WindowTest {};

TEST_F(FocusTest, TabAndShiftTabFollowTheCreationOrderSkipDisabledAndWrap) {
  HWND w = open_sample_form();
  ASSERT_NE(w, nullptr);
  SetFocus(gadget_handle(3));
  // The wide button (2) is disabled; frames and the text are no tab stops.
  EXPECT_EQ(tab_walk(false, 5), (std::vector<intptr_t>{5, 6, 8, 9, 3}));
  EXPECT_EQ(tab_walk(true, 6), (std::vector<intptr_t>{9, 8, 6, 5, 3, 9}));

  // Enabled, the wide button is the first tab stop: Tab from the last wraps to it and back.
  gadget_disable(2, 0);
  EXPECT_EQ(tab_walk(false, 2), (std::vector<intptr_t>{2, 3}));
  EXPECT_EQ(tab_walk(true, 2), (std::vector<intptr_t>{2, 9}));

  // A hidden control is skipped too.
  ShowWindow(gadget_handle(8), SW_HIDE);
  SetFocus(gadget_handle(6));
  EXPECT_EQ(tab_walk(false, 1), (std::vector<intptr_t>{9}));
  EXPECT_EQ(tab_walk(true, 1), (std::vector<intptr_t>{6}));
}

TEST_F(FocusTest, TabIsReturnedAsTheKeyMessageWithoutAGadgetEvent) {
  HWND w = open_sample_form();
  ASSERT_NE(w, nullptr);
  SetFocus(gadget_handle(5));
  collect_events();
  event_post(event_gadget_activity, 8, 0, 0);  // the last gadget event before the key
  ASSERT_EQ(event_wait_timed(0), event_gadget_activity);

  gui::press_key(VK_TAB);
  int32_t got = 0;
  const DWORD start = GetTickCount();
  while (got != WM_KEYDOWN && GetTickCount() - start < 2000) got = event_wait_timed(50);
  ASSERT_EQ(got, static_cast<int32_t>(WM_KEYDOWN));
  EXPECT_EQ(event_wparam(), static_cast<WPARAM>(VK_TAB));
  EXPECT_EQ(event_gadget(), 8);  // a raw message keeps the object of the last event
  EXPECT_EQ(focused_gadget(), 6);
  auto rest = collect_events();
  EXPECT_TRUE(only(rest, {event_gadget_activity, event_menu}).empty())
      << ::testing::PrintToString(rest);
  EXPECT_EQ(event_gadget(), 8);
}

TEST_F(FocusTest, WithNoControlFocusedTabTakesTheFirstAndShiftTabTheLastTabStop) {
  HWND w = open_sample_form();
  ASSERT_NE(w, nullptr);
  SetFocus(w);  // the window itself: no control has the focus
  EXPECT_EQ(tab_walk(false, 1), (std::vector<intptr_t>{3}));
  SetFocus(w);
  EXPECT_EQ(tab_walk(true, 1), (std::vector<intptr_t>{9}));

  // The same with no focus at all (the keys then reach the window as system keys, so the
  // moves are made directly).
  SetFocus(nullptr);
  focus_move(false);
  EXPECT_EQ(focused_gadget(), 3);
  SetFocus(nullptr);
  focus_move(true);
  EXPECT_EQ(focused_gadget(), 9);
}

TEST_F(FocusTest, NoTabStopsLeavesTheFocusAlone) {
  HWND w = gui::as_handle(window_open(1, 100, 100, 200, 120, "Empty", 0xC80000));
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(bring_to_front(w));
  gadget_text_create(0, 10, 10, 100, 20, "no tab stop");
  SetFocus(w);
  focus_move(false);
  EXPECT_EQ(GetFocus(), w);
  focus_move(true);
  EXPECT_EQ(GetFocus(), w);
  EXPECT_EQ(accelerator_table_for(nullptr), nullptr);
}

// With a window of another thread in front this thread has no active window: the moves do
// nothing, and in particular do not pull the form back to the front.
TEST_F(FocusTest, NoActiveWindowLeavesTheFocusAlone) {
  HWND w = open_sample_form();
  ASSERT_NE(w, nullptr);
  SetFocus(gadget_handle(5));
  const gui::ForeignWindow other("Foreign", kForeignStyle, kForeignPlace, true);
  const HWND foreign = other.window();
  const bool away = wait_until(
      [&] {
        return foreign != nullptr && GetForegroundWindow() == foreign &&
               GetActiveWindow() == nullptr;
      },
      3000);
  if (away) {
    for (bool backward : {false, true}) {
      focus_move(backward);
      EXPECT_EQ(GetActiveWindow(), nullptr) << backward;
      EXPECT_EQ(GetFocus(), nullptr) << backward;
      EXPECT_EQ(GetForegroundWindow(), foreign) << backward;
    }
  }
  ASSERT_TRUE(away) << "the other thread's window did not come to the front";
}

TEST_F(FocusTest, EditableRichEditAndHotkeyControlsKeepTheTab) {
  ASSERT_NE(LoadLibraryA("riched20.dll"), nullptr);
  HWND w = gui::as_handle(window_open(1, 150, 150, 300, 200, "Rich", 0xC80000));
  ASSERT_NE(w, nullptr);
  const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_MULTILINE;
  HWND rich =
      CreateWindowExA(0, "RichEdit20A", "", style, 10, 10, 200, 60, w, nullptr, nullptr, nullptr);
  HWND next = CreateWindowExA(0, "BUTTON", "Next", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 100, 80,
                              25, w, nullptr, nullptr, nullptr);
  HWND last = CreateWindowExA(0, "BUTTON", "Last", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 100, 100, 80,
                              25, w, nullptr, nullptr, nullptr);
  ASSERT_TRUE(rich && next && last);
  ASSERT_TRUE(bring_to_front(w));

  // Editable: the Tab is typed into the control and the focus stays.
  SetFocus(rich);
  gui::press_key(VK_TAB);
  auto text = [&] { return gui::window_text(rich); };
  EXPECT_TRUE(wait_until([&] { return text().find('\t') != std::string::npos; }, 2000))
      << "text: " << text();
  EXPECT_EQ(GetFocus(), rich);

  // Shift+Tab is no plain Tab: it moves the focus even out of an editable rich edit.
  press_tab(true);
  EXPECT_EQ(GetFocus(), last);

  // Read-only: Tab moves the focus.
  SendMessageA(rich, EM_SETREADONLY, TRUE, 0);
  SetFocus(rich);
  press_tab(false);
  EXPECT_EQ(GetFocus(), next);

  // A control marked GX_Hotkey receives every key itself.
  SetPropA(next, kPropHotkey, reinterpret_cast<HANDLE>(1));
  press_tab(false);
  EXPECT_EQ(GetFocus(), next);
  RemovePropA(next, kPropHotkey);
  press_tab(false);
  EXPECT_EQ(GetFocus(), last);
}

TEST_F(FocusTest, AFocusInsideACompositeControlMovesAsTheComposite) {
  INITCOMMONCONTROLSEX classes{sizeof classes, ICC_INTERNET_CLASSES | ICC_USEREX_CLASSES};
  ASSERT_TRUE(InitCommonControlsEx(&classes));
  HWND w = gui::as_handle(window_open(1, 150, 150, 320, 200, "Composite", 0xC80000));
  ASSERT_NE(w, nullptr);
  auto child = [&](const char* cls, DWORD style, int y) {
    return CreateWindowExA(0, cls, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, 10, y, 200, 24,
                           w, nullptr, nullptr, nullptr);
  };
  HWND first = child("BUTTON", 0, 10);
  HWND address = child("SysIPAddress32", 0, 40);
  HWND combo = child("ComboBoxEx32", CBS_DROPDOWNLIST, 70);
  HWND last = child("BUTTON", 0, 150);
  ASSERT_TRUE(first && address && combo && last);
  ASSERT_TRUE(bring_to_front(w));

  // The second field of the address control: Tab leaves the whole control.
  HWND field = GetWindow(GetWindow(address, GW_CHILD), GW_HWNDNEXT);
  ASSERT_NE(field, nullptr);
  SetFocus(field);
  ASSERT_EQ(GetParent(GetFocus()), address);
  press_tab(false);
  EXPECT_TRUE(GetFocus() == combo || IsChild(combo, GetFocus())) << gui::class_name(GetFocus());
  SetFocus(field);
  press_tab(true);
  EXPECT_EQ(GetFocus(), first);

  // The inner combo box of an extended drop-down list (under Wine it takes the style of the
  // extended combo box, WS_TABSTOP included, and follows it among the tab stops).
  HWND inner = GetWindow(combo, GW_CHILD);
  ASSERT_NE(inner, nullptr);
  SetFocus(inner);
  press_tab(false);
  EXPECT_EQ(GetFocus(), last);
  SetFocus(inner);
  press_tab(true);
  EXPECT_TRUE(GetFocus() == address || IsChild(address, GetFocus())) << gui::class_name(GetFocus());
}

TEST_F(FocusTest, DeactivationKeepsTheFocusForReactivationAndHidesTheCues) {
  HWND w = open_sample_form();
  ASSERT_NE(w, nullptr);
  keep_ui_state(w, 0);
  HWND other = gui::as_handle(window_open(1, 700, 100, 200, 150, "Other", 0xC80000 | 0x8));
  ASSERT_NE(other, nullptr);
  ASSERT_TRUE(bring_to_front(w));
  SetFocus(gadget_handle(8));

  // Another window of the program.
  ASSERT_TRUE(click_to_activate(other));
  EXPECT_EQ(GetPropA(w, kPropFocus), gadget_handle(8));
  EXPECT_EQ(g_ui_state & 3, 3) << "cues hidden on deactivation";
  ASSERT_TRUE(click_to_activate(w));
  EXPECT_EQ(focused_gadget(), 8);
  EXPECT_EQ(g_ui_state & 3, 3) << "activation alone shows no cues";
  gui::press_key(VK_SHIFT);
  EXPECT_TRUE(wait_until([] { return (g_ui_state & 3) == 0; }, 2000)) << "a modifier shows them";

  // A window of another thread, standing in for another program.
  SetFocus(gadget_handle(6));
  {
    const gui::ForeignWindow other("Foreign", kForeignStyle, kForeignPlace, false);
    const HWND foreign = other.window();
    ASSERT_NE(foreign, nullptr);
    collect_events(300);
    EXPECT_TRUE(click_to_activate_foreign(foreign, w));
    EXPECT_EQ(GetPropA(w, kPropFocus), gadget_handle(6));
    EXPECT_EQ(g_ui_state & 3, 3);
    EXPECT_TRUE(click_to_activate(w));
    EXPECT_EQ(focused_gadget(), 6);
    // Tab shows the cues as it moves the focus.
    press_tab(false);
    EXPECT_EQ(focused_gadget(), 8);
    EXPECT_EQ(g_ui_state & 3, 0);
  }
}

}  // namespace
