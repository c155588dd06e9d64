// The tests' mouse input: exact pixels, and what a window receives from a click, a double
// click and a drag.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "support/gui_driver.h"
#include "support/mouse_input_win.h"

namespace {

TEST(MouseCoordinates, EveryPixelOfCommonScreenWidthsIsReachedExactly) {
  for (int extent : {640, 768, 800, 1023, 1024, 1080, 1366, 1920, 2560}) {
    for (int pixel = 0; pixel < extent; ++pixel) {
      const LONG c = mouse::absolute_coordinate(pixel, extent);
      ASSERT_GE(c, 0);
      ASSERT_LE(c, 65535) << extent << " " << pixel;
      ASSERT_EQ((static_cast<int64_t>(c) * extent) >> 16, pixel) << extent << " " << pixel;
      if (pixel > 0) {
        ASSERT_EQ(((static_cast<int64_t>(c) - 1) * extent) >> 16, pixel - 1) << "not the first";
      }
    }
  }
}

struct Received {
  UINT message;
  POINT at;  // client coordinates
  bool left_held;
};

std::vector<Received>* g_received = nullptr;

LRESULT CALLBACK record(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_MOUSEMOVE:
      if (g_received) {
        const POINT at{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
        g_received->push_back({message, at, (wparam & MK_LBUTTON) != 0});
      }
      return 0;
    default:
      return DefWindowProcA(window, message, wparam, lparam);
  }
}

// A borderless window in front that records the left button and the moves it receives.
class MouseInput : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA c{};
    c.style = CS_DBLCLKS;
    c.lpfnWndProc = record;
    c.hInstance = GetModuleHandleA(nullptr);
    c.lpszClassName = "MouseInputTarget";
    RegisterClassA(&c);
    window_ = CreateWindowExA(WS_EX_TOPMOST, c.lpszClassName, "", WS_POPUP | WS_VISIBLE, 100, 100,
                              300, 200, nullptr, nullptr, c.hInstance, nullptr);
    ASSERT_NE(window_, nullptr);
    SetForegroundWindow(window_);
    gui::pump_for(300);
    g_received = &received_;
  }
  void TearDown() override {
    mouse::release();
    gui::pump_for(100);
    g_received = nullptr;
    DestroyWindow(window_);
  }

  // The button messages received, in order, with where they came.
  std::vector<Received> buttons() const {
    std::vector<Received> out;
    for (const Received& r : received_) {
      if (r.message != WM_MOUSEMOVE) out.push_back(r);
    }
    return out;
  }

  const mouse::Wait wait_{[](DWORD ms) { gui::pump_for(ms); }};
  HWND window_ = nullptr;
  std::vector<Received> received_;
};

TEST_F(MouseInput, MoveToReachesExactPixelsUpToTheScreenEdges) {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  for (POINT p : {POINT{0, 0}, POINT{width - 1, height - 1}, POINT{width / 2 + 1, height / 3},
                  POINT{101, 299}}) {
    ASSERT_TRUE(mouse::move_to(p, wait_)) << p.x << "," << p.y;
    EXPECT_EQ(mouse::position().x, p.x);
    EXPECT_EQ(mouse::position().y, p.y);
  }
}

TEST_F(MouseInput, ClickAndDoubleClickPressAndReleaseAtThePoint) {
  ASSERT_TRUE(mouse::click(mouse::on_screen(window_, 37, 21), wait_));
  gui::pump_for(200);
  auto got = buttons();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].message, static_cast<UINT>(WM_LBUTTONDOWN));
  EXPECT_EQ(got[1].message, static_cast<UINT>(WM_LBUTTONUP));
  for (const Received& r : got) {
    EXPECT_EQ(r.at.x, 37);
    EXPECT_EQ(r.at.y, 21);
  }

  // Well apart from the click, so that the next press starts a new double click.
  gui::pump_for(GetDoubleClickTime() + 100);
  received_.clear();
  ASSERT_TRUE(mouse::double_click(mouse::on_screen(window_, 150, 90), wait_));
  gui::pump_for(200);
  got = buttons();
  ASSERT_EQ(got.size(), 4u);
  EXPECT_EQ(got[0].message, static_cast<UINT>(WM_LBUTTONDOWN));
  EXPECT_EQ(got[1].message, static_cast<UINT>(WM_LBUTTONUP));
  EXPECT_EQ(got[2].message, static_cast<UINT>(WM_LBUTTONDBLCLK));
  EXPECT_EQ(got[3].message, static_cast<UINT>(WM_LBUTTONUP));
  EXPECT_EQ(got[2].at.x, 150);
  EXPECT_EQ(got[2].at.y, 90);
}

TEST_F(MouseInput, DragHoldsTheButtonFromStartToEnd) {
  ASSERT_TRUE(
      mouse::drag(mouse::on_screen(window_, 20, 30), mouse::on_screen(window_, 260, 170), wait_));
  gui::pump_for(200);
  const auto got = buttons();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].message, static_cast<UINT>(WM_LBUTTONDOWN));
  EXPECT_EQ(got[0].at.x, 20);
  EXPECT_EQ(got[0].at.y, 30);
  EXPECT_EQ(got[1].message, static_cast<UINT>(WM_LBUTTONUP));
  EXPECT_EQ(got[1].at.x, 260);
  EXPECT_EQ(got[1].at.y, 170);
  // Between them the pointer passed the middle with the button held.
  bool halfway = false;
  for (const Received& r : received_) {
    if (r.message == WM_MOUSEMOVE && r.at.x == 140 && r.at.y == 100) halfway = r.left_held;
  }
  EXPECT_TRUE(halfway);
}

}  // namespace
