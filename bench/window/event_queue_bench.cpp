// Post plus pop of events through the per-thread event queue, against a
// std::deque of the same records (the floor) in the same run, and on Windows against the
// thread's Win32 message queue (the peer a Win32 program would otherwise use). Two patterns:
// one event in flight at a time (the usual event loop), and bursts of 100 (a flood of window
// events).
#include <chrono>
#include <cstdio>
#include <deque>

#include "message_queue_peer.h"
#include "ui/window/window.h"

namespace {

// Each figure is the best of kRounds timings of kEvents events per side, taken in turn: short
// timings, many of them, so that some of each side run without the other programs of a shared
// machine in between.
constexpr int kEvents = 100000;
constexpr int kRounds = 40;
constexpr int kBurst = 100;
// The message queue costs a round trip to the window server under Wine: fewer events suffice.
constexpr int kPeerEvents = 20000;

struct Record {
  int32_t event;
  intptr_t object;
  intptr_t window;
  int32_t type;
  void* data;
  EventDataRelease data_release;
};

volatile intptr_t g_sink = 0;

template <typename Fn>
double seconds(Fn fn) {
  auto start = std::chrono::steady_clock::now();
  fn();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Distinct objects: identical neighbours would be folded by the queue.
double queue_run(int burst) {
  return seconds([burst] {
    intptr_t object = 0, window = 0, sum = 0;
    int32_t type = 0;
    for (int done = 0; done < kEvents; done += burst) {
      for (int i = 0; i < burst; ++i) event_post(13100, done + i, 0, 0);
      for (int i = 0; i < burst; ++i) {
        sum += event_pop(&object, &window, &type, nullptr, nullptr) + object;
      }
    }
    g_sink = sum;
  });
}

double deque_run(int burst) {
  return seconds([burst] {
    std::deque<Record> queue;
    intptr_t sum = 0;
    for (int done = 0; done < kEvents; done += burst) {
      for (int i = 0; i < burst; ++i) {
        // The same folding test as the queue's: all four fields of the last record.
        intptr_t object = done + i;
        if (!queue.empty()) {
          const Record& tail = queue.back();
          if (tail.event == 13100 && tail.object == object && tail.window == 0 && tail.type == 0) {
            continue;
          }
        }
        queue.push_back(Record{13100, object, 0, 0, nullptr, nullptr});
      }
      for (int i = 0; i < burst && !queue.empty(); ++i) {
        sum += queue.front().event + queue.front().object;
        queue.pop_front();
      }
    }
    g_sink = sum;
  });
}

void report(const char* pattern, int burst) {
  double q = 1e9, d = 1e9;
  for (int round = 0; round < kRounds; ++round) {
    double qs = queue_run(burst);
    double ds = deque_run(burst);
    if (qs < q) q = qs;
    if (ds < d) d = ds;
  }
  std::printf("%-22s event queue %7.1f M events/s   std::deque %7.1f M events/s   ratio %.2f\n",
              pattern, kEvents / q / 1e6, kEvents / d / 1e6, d / q);
  std::printf("BENCH|event queue post + pop, %s|%.1f|M events/s|std::deque|%.1f|%s\n", pattern,
              kEvents / q / 1e6, kEvents / d / 1e6, burst == 1 ? ">=0.8" : ">=0.5");
  double m = 1e9, ms = 0;
  for (int round = 0; round < 3; ++round) {
    if (!message_queue_seconds(burst, kPeerEvents, &ms)) return;
    if (ms < m) m = ms;
  }
  std::printf("%-22s Win32 message queue %7.2f M events/s\n", pattern, kPeerEvents / m / 1e6);
  std::printf(
      "BENCH|event queue post + pop, %s|%.1f|M events/s|Win32 message queue (PostMessageA, "
      "PeekMessageA)|%.2f|-\n",
      pattern, kEvents / q / 1e6, kPeerEvents / m / 1e6);
}

}  // namespace

int main() {
  events_init();
  std::printf("post + pop of %d events, best of %d (ratio > 1: the event queue is faster)\n",
              kEvents, kRounds);
  report("one at a time", 1);
  report("bursts of 100", kBurst);
  return 0;
}
