// Opening and closing numbered windows: classes, flags, sizes, positions, properties.
#include <string>

#include "support/gui_driver.h"
#include "support/sample_form.h"
#include "ui/window/window_properties.h"
#include "window_fixture.h"

namespace {

bool class_exists(const std::string& name) {
  WNDCLASSA wc;
  return GetClassInfoA(GetModuleHandleA(nullptr), name.c_str(), &wc) != 0;
}

LONG style_of(HWND w) { return GetWindowLongA(w, GWL_STYLE); }
LONG ex_style_of(HWND w) { return GetWindowLongA(w, GWL_EXSTYLE); }

SIZE client_size(HWND w) {
  RECT r;
  GetClientRect(w, &r);
  return {r.right, r.bottom};
}

RECT window_rect(HWND w) {
  RECT r;
  GetWindowRect(w, &r);
  return r;
}

std::vector<HWND> g_selected;
HWND record_select(HWND window) {
  g_selected.push_back(window);
  return nullptr;
}

using WindowOpenTest = WindowTest;

TEST_F(WindowOpenTest, TitledWindowHasItsClassPropertyStyleAndSize) {
  HWND w = gui::as_handle(sample_form::open_window());
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(gui::class_name(w), "WindowClass_0");
  EXPECT_EQ(gui::window_text(w), sample_form::kTitle);
  EXPECT_EQ(reinterpret_cast<intptr_t>(GetPropA(w, kPropWindowId)), 1);
  EXPECT_EQ(window_number_of(w), 0);
  EXPECT_EQ(window_handle(0), w);
  EXPECT_TRUE(IsWindowVisible(w));
  LONG style = style_of(w);
  EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU), WS_CAPTION | WS_SYSMENU);
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_POPUP | WS_CHILD), 0);
  EXPECT_EQ(ex_style_of(w) & WS_EX_TOOLWINDOW, 0);
  SIZE client = client_size(w);
  EXPECT_EQ(client.cx, sample_form::kWindow.width);
  EXPECT_EQ(client.cy, sample_form::kWindow.height);
  RECT r = window_rect(w);
  EXPECT_EQ(r.left, sample_form::kWindow.x);
  EXPECT_EQ(r.top, sample_form::kWindow.y);
  WNDCLASSA wc;
  ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "WindowClass_0", &wc));
  EXPECT_EQ(wc.style, static_cast<UINT>(CS_DBLCLKS));
  EXPECT_EQ(wc.hbrBackground, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  EXPECT_EQ(wc.lpfnWndProc, toolkit_window_proc);
}

TEST_F(WindowOpenTest, ReopeningANumberClosesTheOldWindowAndRegistersItsClassAgain) {
  HWND first = gui::as_handle(window_open(0, 10, 10, 100, 100, "one", 0));
  ASSERT_NE(first, nullptr);
  HWND second = gui::as_handle(window_open(0, 20, 20, 100, 100, "two", 0));
  ASSERT_NE(second, nullptr);
  EXPECT_FALSE(IsWindow(first));
  EXPECT_EQ(window_handle(0), second);
  EXPECT_TRUE(class_exists("WindowClass_0"));
  window_close(0);
  EXPECT_FALSE(IsWindow(second));
  EXPECT_FALSE(class_exists("WindowClass_0"));
  EXPECT_EQ(window_handle(0), nullptr);
  window_close(0);  // already closed: nothing happens
}

TEST_F(WindowOpenTest, AutomaticNumberNamesTheClassAndTheProperty) {
  intptr_t number = window_open(-1, 10, 10, 80, 60, nullptr, 0);
  ASSERT_NE(number, 0);
  ASSERT_NE(number, -1);
  HWND w = window_handle(number);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(gui::class_name(w), "WindowClass_" + std::to_string(static_cast<int>(number)));
  EXPECT_EQ(gui::window_text(w), "");  // null title
  EXPECT_EQ(window_number_of(w), number);
  windows_end();
  EXPECT_FALSE(IsWindow(w));
  EXPECT_EQ(window_handle(number), nullptr);
}

TEST_F(WindowOpenTest, FlagsZeroAndHiddenGiveACaption) {
  HWND plain = gui::as_handle(window_open(1, 10, 10, 80, 60, "plain", 0));
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(style_of(plain) & WS_CAPTION, WS_CAPTION);
  EXPECT_TRUE(IsWindowVisible(plain));
  HWND hidden = gui::as_handle(window_open(2, 10, 10, 80, 60, "hidden", window_hidden));
  ASSERT_NE(hidden, nullptr);
  EXPECT_EQ(style_of(hidden) & WS_CAPTION, WS_CAPTION);
  EXPECT_FALSE(IsWindowVisible(hidden));
  // A style bit suppresses the added caption.
  HWND popup = gui::as_handle(window_open(3, 10, 10, 80, 60, "popup", WS_POPUP | WS_BORDER));
  ASSERT_NE(popup, nullptr);
  EXPECT_NE(style_of(popup) & WS_CAPTION, WS_CAPTION);
  EXPECT_EQ(client_size(popup).cx, 80);
}

TEST_F(WindowOpenTest, ToolWindowDropsMinimiseAndMaximiseAndGetsACaption) {
  HWND w = gui::as_handle(window_open(
      1, 10, 10, 80, 60, "tool",
      window_tool | WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_MAXIMIZE));
  ASSERT_NE(w, nullptr);
  EXPECT_NE(ex_style_of(w) & WS_EX_TOOLWINDOW, 0);
  EXPECT_EQ(style_of(w) & WS_CAPTION, WS_CAPTION);
  EXPECT_EQ(style_of(w) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_MAXIMIZE), 0);
  EXPECT_EQ(client_size(w).cx, 80);
  EXPECT_EQ(client_size(w).cy, 60);
  // Without limits, the minimum tracking width of a tool window is 1; the rest stays.
  MINMAXINFO info{};
  info.ptMinTrackSize = {111, 112};
  info.ptMaxTrackSize = {913, 914};
  EXPECT_EQ(SendMessageA(w, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info)), 0);
  EXPECT_EQ(info.ptMinTrackSize.x, 1);
  EXPECT_EQ(info.ptMinTrackSize.y, 112);
  EXPECT_EQ(info.ptMaxTrackSize.x, 913);
  EXPECT_EQ(info.ptMaxTrackSize.y, 914);
}

TEST_F(WindowOpenTest, CentredOnTheScreenAndCutToItsSize) {
  const int sw = GetSystemMetrics(SM_CXSCREEN);
  const int sh = GetSystemMetrics(SM_CYSCREEN);
  HWND w = gui::as_handle(window_open(1, 5, 5, 200, 100, "centre", window_centre_screen));
  ASSERT_NE(w, nullptr);
  RECT r = window_rect(w);
  EXPECT_EQ(r.left, (sw - (r.right - r.left)) / 2);
  EXPECT_EQ(r.top, (sh - (r.bottom - r.top)) / 2);
  EXPECT_EQ(client_size(w).cx, 200);

  HWND big = gui::as_handle(window_open(2, 5, 5, sw + 500, sh + 500, "big", window_centre_screen));
  ASSERT_NE(big, nullptr);
  r = window_rect(big);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right - r.left, sw);
  EXPECT_EQ(r.bottom - r.top, sh);
}

TEST_F(WindowOpenTest, CentredOnTheParentOrLeftWhereGivenWithoutOne) {
  HWND parent = gui::as_handle(window_open(1, 100, 100, 400, 300, "parent", 0xC80000));
  ASSERT_NE(parent, nullptr);
  HWND child =
      gui::as_handle(window_open(2, 0, 0, 200, 100, "child", window_centre_parent, parent));
  ASSERT_NE(child, nullptr);
  RECT p = window_rect(parent);
  RECT c = window_rect(child);
  EXPECT_EQ(c.left, p.left + (p.right - p.left - (c.right - c.left)) / 2);
  EXPECT_EQ(c.top, p.top + (p.bottom - p.top - (c.bottom - c.top)) / 2);
  EXPECT_EQ(GetWindow(child, GW_OWNER), parent);
  // Larger than the parent near the screen's corner: raised to 0.
  HWND wide = gui::as_handle(window_open(3, 0, 0, 900, 700, "wide", window_centre_parent, parent));
  ASSERT_NE(wide, nullptr);
  EXPECT_EQ(window_rect(wide).left, 0);
  EXPECT_EQ(window_rect(wide).top, 0);
  windows_end();

  // No parent and no active window of this thread: x and y are used as given.
  ASSERT_EQ(GetActiveWindow(), nullptr);
  HWND alone = gui::as_handle(
      window_open(4, 123, 145, 100, 50, "alone", window_centre_parent | window_hidden));
  ASSERT_NE(alone, nullptr);
  EXPECT_EQ(window_rect(alone).left, 123);
  EXPECT_EQ(window_rect(alone).top, 145);
}

TEST_F(WindowOpenTest, DefaultPositionLetsTheSystemChoose) {
  HWND w =
      gui::as_handle(window_open(1, window_default_position, 50, 120, 80, "default", 0xC80000));
  ASSERT_NE(w, nullptr);
  RECT r = window_rect(w);
  EXPECT_NE(r.left, window_default_position);
  EXPECT_GT(r.left, -1000);
  EXPECT_EQ(client_size(w).cx, 120);
  // With centring, -65535 is just a coordinate that centring replaces.
  HWND c = gui::as_handle(window_open(2, window_default_position, window_default_position, 120, 80,
                                      "centred", window_centre_screen));
  ASSERT_NE(c, nullptr);
  EXPECT_GE(window_rect(c).left, 0);
}

TEST_F(WindowOpenTest, MaximisedAndMinimisedStylesShowThatWay) {
  HWND max = gui::as_handle(window_open(1, 10, 10, 100, 80, "max", 0xCF0000 | WS_MAXIMIZE));
  ASSERT_NE(max, nullptr);
  EXPECT_TRUE(IsZoomed(max));
  HWND min = gui::as_handle(window_open(2, 10, 10, 100, 80, "min", 0xCF0000 | WS_MINIMIZE));
  ASSERT_NE(min, nullptr);
  EXPECT_TRUE(IsIconic(min));
}

TEST_F(WindowOpenTest, GadgetListIsSelectedUnlessAskedNotTo) {
  g_selected.clear();
  window_set_gadget_hooks(nullptr, record_select);
  HWND a = gui::as_handle(window_open(1, 10, 10, 80, 60, "a", 0));
  HWND b = gui::as_handle(window_open(2, 10, 10, 80, 60, "b", window_no_gadget_list));
  window_set_gadget_hooks(nullptr, nullptr);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(g_selected, std::vector<HWND>{a});
}

TEST_F(WindowOpenTest, BadNumbersFailOrWorkWithoutHarm) {
  EXPECT_EQ(window_open(-2, 10, 10, 80, 60, "bad", 0), 0);
  EXPECT_EQ(window_open(-100000, 10, 10, 80, 60, "bad", 0), 0);
  window_close(-2);
  window_close(-1);
  window_close(12345);
  window_close(0x7FFFFFF0);  // taken as an automatic number that was never handed out
  EXPECT_EQ(window_handle(-5), nullptr);
  // A large explicit number grows the table linearly and works like any other.
  HWND distant = gui::as_handle(window_open(200000, 10, 10, 80, 60, "far", 0));
  ASSERT_NE(distant, nullptr);
  EXPECT_EQ(gui::class_name(distant), "WindowClass_200000");
  EXPECT_EQ(window_number_of(distant), 200000);
  window_close(200000);
  EXPECT_FALSE(IsWindow(distant));
  EXPECT_EQ(window_number_of(nullptr), -1);
  EXPECT_EQ(window_number_of(GetDesktopWindow()), -1);
}

TEST_F(WindowOpenTest, FailedCreationReleasesTheNumberAndTheClass) {
  // A child style with no parent cannot be created.
  EXPECT_EQ(window_open(5, 10, 10, 80, 60, "orphan", WS_CHILD), 0);
  EXPECT_EQ(window_handle(5), nullptr);
  EXPECT_FALSE(class_exists("WindowClass_5"));
}

TEST_F(WindowOpenTest, WindowsEndClosesExplicitAndAutomaticWindows) {
  HWND a = gui::as_handle(window_open(3, 10, 10, 80, 60, "a", 0));
  HWND b = gui::as_handle(window_open(0, 10, 10, 80, 60, "b", 0));
  intptr_t n = window_open(-1, 10, 10, 80, 60, "c", 0);
  HWND c = window_handle(n);
  ASSERT_TRUE(a && b && c);
  event_post(event_close_window, 3, 3, 0);  // queued events of closed windows go with them
  windows_end();
  EXPECT_FALSE(IsWindow(a));
  EXPECT_FALSE(IsWindow(b));
  EXPECT_FALSE(IsWindow(c));
  EXPECT_FALSE(class_exists("WindowClass_3"));
  EXPECT_EQ(only(collect_events(), {event_close_window}).size(), 0u);
}

}  // namespace
