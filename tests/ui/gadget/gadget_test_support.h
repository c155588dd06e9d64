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
#include "support/sample_form.h"
#include "support/toolkit_environment.h"
#include "ui/gadget/gadget.h"
#include "ui/window/window.h"

namespace gadget_test {

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

// Lets the pointer's messages reach their windows; gadget events meanwhile are dropped.
inline void settle(int milliseconds) {
  const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
  for (int32_t left; (left = static_cast<int32_t>(end - GetTickCount())) > 0;) {
    event_wait_timed(left);
  }
}

// Position and size of a control in its parent's client coordinates.
inline RECT client_rect_in_parent(HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// Fixture: the sample form's window 0 without gadgets, closed again after the test.
class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = reinterpret_cast<HWND>(sample_form::open_window());
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
