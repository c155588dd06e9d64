// Helpers for the gadget tests: the toolkit's start-up for the test program, a window to put
// gadgets in and an event loop that records gadget events (every wait has a time limit). Real
// mouse input comes from support/mouse_input_win.h.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/runtime.h"
#include "ui/gadget/gadget.h"
#include "ui/window/window.h"

namespace gadget_test {

// Runs the runtime start-up with the event, window and gadget steps once per test program.
class ToolkitEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    LibrarySteps steps{};
    steps.events_init = events_init;
    steps.windows_init = windows_init;
    steps.gadget_toolkit_init = []() { gadget_toolkit_init(); };
    runtime_startup(steps);
  }
};

inline ::testing::Environment* const toolkit_environment =
    ::testing::AddGlobalTestEnvironment(new ToolkitEnvironment);

// The application's window: number 0, title bar and close box, client 257 x 266.
constexpr uint32_t kMainWindowFlags = 0xC80000;

struct GadgetEvent {
  intptr_t gadget;
  int32_t type;
  bool operator==(const GadgetEvent& other) const {
    return gadget == other.gadget && type == other.type;
  }
};

inline std::ostream& operator<<(std::ostream& out, const GadgetEvent& e) {
  return out << "{gadget " << e.gadget << ", type " << e.type << "}";
}

// Runs the event loop for `milliseconds` and returns the gadget events it gave, in order.
inline std::vector<GadgetEvent> collect_gadget_events(int milliseconds) {
  std::vector<GadgetEvent> events;
  const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
  for (;;) {
    const int32_t left = static_cast<int32_t>(end - GetTickCount());
    if (left <= 0) break;
    if (event_wait_timed(left) == event_gadget_activity) {
      events.push_back({event_gadget(), event_type()});
    }
  }
  return events;
}

// Drains what is queued or pending without waiting.
inline void drain_events() {
  for (int i = 0; i < 10000 && event_wait_timed(0) != 0; ++i) {
  }
  while (event_pop(nullptr, nullptr, nullptr, nullptr, nullptr) != 0) {
  }
}

// Dispatches the thread's messages for `milliseconds` without event_wait: events that the
// window procedures queue stay queued for the test to collect.
inline void pump_raw(int milliseconds) {
  const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
  for (int32_t left; (left = static_cast<int32_t>(end - GetTickCount())) > 0;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left < 10 ? left : 10),
                              QS_ALLINPUT);
  }
}

// Lets the pointer's messages reach their windows; gadget events meanwhile are dropped.
inline void settle(int milliseconds) {
  const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
  for (int32_t left; (left = static_cast<int32_t>(end - GetTickCount())) > 0;) {
    event_wait_timed(left);
  }
}

// Brings a window to the front and gives it the focus, waiting (with a limit) until it is
// active so that mouse input reaches it.
inline bool bring_to_front(HWND window) {
  for (int i = 0; i < 100; ++i) {
    SetForegroundWindow(window);
    SetActiveWindow(window);
    event_wait_timed(10);
    if (GetForegroundWindow() == window) return true;
  }
  return false;
}

// Window text of any window.
inline std::string window_text(HWND window) {
  char buffer[256] = {};
  GetWindowTextA(window, buffer, sizeof(buffer));
  return buffer;
}

inline std::string class_name(HWND window) {
  char buffer[64] = {};
  GetClassNameA(window, buffer, sizeof(buffer));
  return buffer;
}

// Position and size of a control in its parent's client coordinates.
inline RECT client_rect_in_parent(HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// Fixture: window 0 as the application opens it, closed again after the test.
class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = reinterpret_cast<HWND>(
        window_open(0, 337, 189, 257, 266, "Pelmora v1.3", kMainWindowFlags));
    ASSERT_NE(window_, nullptr);
    drain_events();
  }
  void TearDown() override {
    window_close(0);
    drain_events();
  }
  HWND window_ = nullptr;
};

}  // namespace gadget_test
