#include "window_fixture.h"

#include <algorithm>

#include "support/gui_driver.h"

std::vector<WaitedEvent> collect_events(DWORD quiet_ms, DWORD limit_ms) {
  std::vector<WaitedEvent> events;
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < limit_ms) {
    int32_t e = event_wait_timed(static_cast<int32_t>(quiet_ms));
    if (e == 0 && event_queue_length() == 0) {
      // 0 is also WM_NULL: only a wait with nothing queued and nothing fetched ends it.
      MSG msg;
      if (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) break;
      continue;
    }
    events.push_back({e, event_gadget(), event_window(), event_type()});
  }
  return events;
}

std::vector<WaitedEvent> only(const std::vector<WaitedEvent>& events,
                              std::initializer_list<int32_t> wanted) {
  std::vector<WaitedEvent> out;
  for (const auto& e : events) {
    if (std::find(wanted.begin(), wanted.end(), e.event) != wanted.end()) out.push_back(e);
  }
  return out;
}

bool wait_until(const std::function<bool()>& done, DWORD limit_ms, std::vector<WaitedEvent>* seen) {
  const DWORD start = GetTickCount();
  while (!done() && GetTickCount() - start < limit_ms) {
    int32_t e = event_wait_timed(20);
    if (e != 0 && seen) seen->push_back({e, event_gadget(), event_window(), event_type()});
  }
  if (!done()) return false;
  auto rest = collect_events();
  if (seen) seen->insert(seen->end(), rest.begin(), rest.end());
  return true;
}

bool wait_for_event(int32_t event, DWORD limit_ms, WaitedEvent* got) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < limit_ms) {
    int32_t e = event_wait_timed(50);
    if (e == event) {
      if (got) *got = {e, event_gadget(), event_window(), event_type()};
      return true;
    }
  }
  return false;
}

bool bring_to_front(HWND w) {
  return gui::bring_to_front(w, [](DWORD ms) { collect_events(ms, ms); });
}

void WindowTest::SetUpTestSuite() {
  static bool started = false;
  if (!started) {
    events_init();
    windows_init();
    started = true;
  }
}

void WindowTest::SetUp() { collect_events(50, 1000); }

void WindowTest::TearDown() {
  windows_end();
  collect_events(50, 1000);
  event_purge(-1, -1, -1, -1);
}
