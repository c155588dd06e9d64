// Shared set-up of the window GUI tests: the libraries started once, windows closed after each
// test, and helpers to collect what event_wait returns.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <vector>

#include "support/waited_event.h"
#include "ui/window/window.h"

// event_wait_timed until `quiet_ms` pass without anything (at most `limit_ms` in all), with what
// event_gadget / event_window / event_type said after each event.
std::vector<WaitedEvent> collect_events(DWORD quiet_ms = 150, DWORD limit_ms = 3000);
// Only the events whose numbers are in `wanted`, in order.
std::vector<WaitedEvent> only(const std::vector<WaitedEvent>& events,
                              std::initializer_list<int32_t> wanted);
// Runs event_wait_timed until done() holds (false on time-out), then collects what follows
// until it is quiet; every event seen is appended to `seen` when given.
bool wait_until(const std::function<bool()>& done, DWORD limit_ms,
                std::vector<WaitedEvent>* seen = nullptr);
// Waits (dispatching through event_wait_timed) until an event `event` arrives; false on time-out.
bool wait_for_event(int32_t event, DWORD limit_ms, WaitedEvent* got = nullptr);

// Makes `w` the foreground window through the toolkit's event wait; false after the time limit.
bool bring_to_front(HWND w);

class WindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  void SetUp() override;
  void TearDown() override;
};
