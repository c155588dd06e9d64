// Gadget events from real mouse input under the toolkit's own event loop.
#include <vector>

#include "support/gui_driver.h"
#include "support/mouse_input_win.h"
#include "tests/ui/gadget/gadget_test_support.h"
#include "ui/window/window_properties.h"

namespace {

using gadget_test::collect_gadget_events;
using gadget_test::GadgetEvent;
using gadget_test::MainWindowTest;
using Events = std::vector<GadgetEvent>;

// The pointer's waits dispatch the messages without taking the gadget events, and a move counts
// once the pointer has stayed on its exact pixel for a quarter of a second: the drag threshold
// is measured in single pixels.
// Messages are dispatched without event_wait: the events the window procedures queue stay
// queued for the test to collect.
const mouse::Wait kPointer{gui::pump_for, 250};

// Positions are client coordinates of `control`.
bool mouse_move(HWND control, int x, int y) {
  return mouse::move_to(mouse::on_screen(control, x, y), kPointer);
}
bool mouse_click(HWND control, int x, int y) {
  return mouse::click(mouse::on_screen(control, x, y), kPointer);
}

// Long enough that the next click is not taken as the second half of a double click.
int quiet_time() { return static_cast<int>(GetDoubleClickTime()) + 150; }

class GadgetInput : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    ASSERT_TRUE(
        gui::bring_to_front(window_, [](DWORD ms) { gadget_test::settle(static_cast<int>(ms)); }));
    // Start from a resting pointer over an empty part of the window.
    ASSERT_TRUE(mouse_move(window_, 250, 5));
  }
  void TearDown() override {
    mouse::release();
    gadget_test::settle(100);
    MainWindowTest::TearDown();
  }

  // Centre of a list item, in the list box's client coordinates.
  static POINT item_centre(HWND list, int index) {
    RECT r{};
    SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }

  HWND make_list(intptr_t number, uint32_t flags = 0) {
    HWND list = reinterpret_cast<HWND>(gadget_listbox_create(number, 20, 30, 220, 100, flags));
    for (const char* item : {"alpha.jar", "beta.jar", "gamma.jar"})
      gadget_item_add(number, -1, item);
    gadget_test::drain_events();
    return list;
  }
};

TEST_F(GadgetInput, ButtonClickGivesGadgetEventOfTypeZero) {
  HWND button = reinterpret_cast<HWND>(gadget_button_create(8, 80, 160, 100, 20, "Small", 0));
  ASSERT_NE(button, nullptr);
  ASSERT_TRUE(mouse_click(button, 50, 10));
  EXPECT_EQ(collect_gadget_events(quiet_time()), (Events{{8, 0}}));
  EXPECT_EQ(event_gadget(), 8);
}

TEST_F(GadgetInput, DisabledButtonGivesNothingAndEnabledAgainClicks) {
  HWND button = reinterpret_cast<HWND>(gadget_button_create(2, 10, 190, 240, 40, "Wide button", 0));
  ASSERT_NE(button, nullptr);
  gadget_disable(2, 1);
  ASSERT_TRUE(mouse_click(button, 120, 20));
  EXPECT_EQ(collect_gadget_events(quiet_time()), Events{});
  gadget_disable(2, 0);
  ASSERT_TRUE(mouse_click(button, 120, 20));
  EXPECT_EQ(collect_gadget_events(quiet_time()), (Events{{2, 0}}));
}

TEST_F(GadgetInput, CheckBoxTogglesAndThreeStateNeverGoesIndeterminateByClicks) {
  HWND two = reinterpret_cast<HWND>(gadget_checkbox_create(6, 20, 120, 120, 16, "Check box", 1));
  HWND three = reinterpret_cast<HWND>(gadget_checkbox_create(7, 20, 150, 120, 16, "Three", 5));
  ASSERT_NE(two, nullptr);
  ASSERT_NE(three, nullptr);
  ASSERT_TRUE(mouse_click(two, 6, 8));
  EXPECT_EQ(collect_gadget_events(quiet_time()), (Events{{6, 0}}));
  EXPECT_EQ(gadget_state_get(6), 1);
  ASSERT_TRUE(mouse_click(two, 6, 8));
  collect_gadget_events(quiet_time());
  EXPECT_EQ(gadget_state_get(6), 0);

  const int32_t expected_after_click[] = {1, 0, 1};
  for (int32_t expected : expected_after_click) {
    ASSERT_TRUE(mouse_click(three, 6, 8));
    EXPECT_EQ(collect_gadget_events(quiet_time()), (Events{{7, 0}}));
    EXPECT_EQ(gadget_state_get(7), expected);
  }
  gadget_state_set(7, -1);
  EXPECT_EQ(gadget_state_get(7), -1);
  ASSERT_TRUE(mouse_click(three, 6, 8));
  collect_gadget_events(quiet_time());
  EXPECT_EQ(gadget_state_get(7), 1);  // indeterminate goes to checked
}

// The release event and the control's own selection change are both type 0. Under Wine the list
// box reports the selection change while it handles the release, right after the release event
// was queued, so the queue folds the two identical events into one.
TEST_F(GadgetInput, ListClickSelectsAndGivesTypeZeroEvents) {
  HWND list = make_list(3);
  const POINT beta = item_centre(list, 1);
  ASSERT_TRUE(mouse_move(list, beta.x, beta.y));
  mouse::press(mouse::on_screen(list, beta.x, beta.y));
  EXPECT_EQ(collect_gadget_events(200), Events{});
  EXPECT_EQ(GetPropA(list, kPropMouseDown), reinterpret_cast<HANDLE>(MAKELPARAM(beta.x, beta.y)));
  EXPECT_EQ(GetCapture(), list);
  mouse::release(mouse::on_screen(list, beta.x, beta.y));
  const Events first = collect_gadget_events(quiet_time());
  ASSERT_FALSE(first.empty());
  EXPECT_LE(first.size(), 2u);
  for (const GadgetEvent& e : first) EXPECT_EQ(e, (GadgetEvent{3, 0}));
  EXPECT_EQ(gadget_text_get(3), "beta.jar");
  EXPECT_EQ(GetPropA(list, kPropMouseDown), nullptr);
  EXPECT_NE(GetCapture(), list);

  ASSERT_TRUE(mouse_click(list, beta.x, beta.y));  // on the selected item
  EXPECT_EQ(collect_gadget_events(quiet_time()), (Events{{3, 0}}));
  EXPECT_EQ(gadget_state_get(3), 1);
}

// A press below the last item is not on an item (LB_ITEMFROMPOINT's high word is set): no mark.
TEST_F(GadgetInput, ListPressBelowTheItemsIsNotMarked) {
  HWND list = make_list(3);
  RECT last{};
  SendMessageA(list, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&last));
  ASSERT_LT(last.bottom + 10, 100 - 4);
  ASSERT_TRUE(mouse_move(list, 50, last.bottom + 10));
  mouse::press(mouse::on_screen(list, 50, last.bottom + 10));
  gadget_test::settle(100);
  EXPECT_EQ(GetPropA(list, kPropMouseDown), nullptr);
  mouse::release(mouse::on_screen(list, 50, last.bottom + 10));
  collect_gadget_events(quiet_time());
}

TEST_F(GadgetInput, ListDoubleClickGivesTypeTwo) {
  HWND list = make_list(3);
  const POINT gamma = item_centre(list, 2);
  ASSERT_TRUE(mouse::double_click(mouse::on_screen(list, gamma.x, gamma.y), kPointer));
  const Events events = collect_gadget_events(quiet_time());
  int double_clicks = 0;
  for (const GadgetEvent& e : events) {
    EXPECT_EQ(e.gadget, 3);
    if (e.type == gadget_event_double_click) ++double_clicks;
  }
  EXPECT_EQ(double_clicks, 1) << ::testing::PrintToString(events);
  EXPECT_EQ(gadget_text_get(3), "gamma.jar");
}

TEST_F(GadgetInput, DragBeyondTheThresholdGivesDragStartExactlyTheThresholdNothing) {
  HWND list = make_list(3);
  gadget_state_set(3, 0);
  const int threshold = GetSystemMetrics(SM_CXDRAG);
  const POINT alpha = item_centre(list, 0);
  ASSERT_TRUE(mouse_move(list, alpha.x, alpha.y));
  mouse::press(mouse::on_screen(list, alpha.x, alpha.y));
  EXPECT_EQ(collect_gadget_events(200), Events{});  // a press on the selected item
  EXPECT_NE(GetPropA(list, kPropMouseDown), nullptr);
  EXPECT_EQ(GetCapture(), list);

  ASSERT_TRUE(mouse_move(list, alpha.x + threshold, alpha.y));
  EXPECT_EQ(collect_gadget_events(200), Events{});
  ASSERT_TRUE(mouse_move(list, alpha.x, alpha.y - threshold));
  EXPECT_EQ(collect_gadget_events(200), Events{});
  ASSERT_TRUE(mouse_move(list, alpha.x + threshold + 1, alpha.y));
  EXPECT_EQ(collect_gadget_events(200), (Events{{3, gadget_event_drag_start}}));
  EXPECT_EQ(GetPropA(list, kPropMouseDown), nullptr);

  // The drag replaced the release event; what may still come is the list box's own selection
  // notification (Wine sends LBN_SELCHANGE on every release of a press it tracked).
  mouse::release(mouse::on_screen(list, alpha.x + threshold + 1, alpha.y));
  const Events after = collect_gadget_events(quiet_time());
  EXPECT_LE(after.size(), 1u);
  for (const GadgetEvent& e : after) EXPECT_EQ(e, (GadgetEvent{3, 0}));
}

TEST_F(GadgetInput, PressOnSelectedItemKeepsAnExtendedSelection) {
  HWND list = make_list(3, LBS_EXTENDEDSEL);
  gadget_item_state_set(3, 0, 1);
  gadget_item_state_set(3, 1, 1);
  const POINT beta = item_centre(list, 1);
  ASSERT_TRUE(mouse_click(list, beta.x, beta.y));
  EXPECT_EQ(collect_gadget_events(quiet_time()), (Events{{3, 0}}));
  EXPECT_GT(gadget_item_state_get(3, 0), 0);
  EXPECT_GT(gadget_item_state_get(3, 1), 0);
  // A press on an unselected item is the list's own: the selection moves there.
  const POINT gamma = item_centre(list, 2);
  ASSERT_TRUE(mouse_click(list, gamma.x, gamma.y));
  collect_gadget_events(quiet_time());
  EXPECT_EQ(gadget_item_state_get(3, 0), 0);
  EXPECT_GT(gadget_item_state_get(3, 2), 0);
}

}  // namespace
