// Per-thread state across threads, and the clean-up after a thread has ended.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#include <tlhelp32.h>

#include "runtime/handles_win.h"
#endif

#include "runtime/registry.h"
#include "runtime/runtime.h"

namespace {

struct Counted {
  int value;
  int inits;
};

std::atomic<int> g_cleanups{0};
std::string g_order;  // written by the clean-ups of one ended thread
std::mutex g_order_lock;
std::atomic<bool> g_order_done{false};

void init_counted(void* slice) {
  auto* c = static_cast<Counted*>(slice);
  c->value = 99;
  c->inits++;
}
void cleanup_first(void*) {
  std::lock_guard<std::mutex> guard(g_order_lock);
  g_order += "first;";
}
void cleanup_second(void*) {
  std::lock_guard<std::mutex> guard(g_order_lock);
  g_order += "second;";
  g_cleanups++;
}
void cleanup_marker(void*) { g_order_done = true; }

bool wait_for(const std::atomic<bool>& flag) {
  for (int i = 0; i < 500 && !flag; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return flag;
}

// Registration happens once, as during start-up on the main thread.
struct Slices {
  size_t plain, counted, first, second, marker;
  Slices() {
    plain = thread_state_register(6, nullptr, nullptr);
    counted = thread_state_register(sizeof(Counted), init_counted, nullptr);
    marker = thread_state_register(4, nullptr, cleanup_marker);
    first = thread_state_register(4, nullptr, cleanup_first);
    second = thread_state_register(4, nullptr, cleanup_second);
  }
};
const Slices& slices() {
  static Slices s;
  return s;
}

TEST(ThreadState, RegistrationRoundsToFourAndInitsTheRegisteringThread) {
  const Slices& s = slices();
  EXPECT_EQ(s.counted - s.plain, 8u);
  auto* c = static_cast<Counted*>(thread_state_get(s.counted));
  EXPECT_EQ(c->value, 99);
  EXPECT_EQ(c->inits, 1);
}

TEST(ThreadState, AnotherThreadGetsZerosOrItsInitAndIsCleanedUpNewestFirst) {
  const Slices& s = slices();
  g_order.clear();
  g_order_done = false;
  int plain_bytes = -1;
  int value = 0;
  std::thread t([&] {
    auto* p = static_cast<unsigned char*>(thread_state_get(s.plain));
    plain_bytes = 0;
    for (int i = 0; i < 6; ++i) plain_bytes += p[i];
    value = static_cast<Counted*>(thread_state_get(s.counted))->value;
    *static_cast<int*>(thread_state_get(s.plain)) = 5;  // private to this thread
  });
  t.join();
  EXPECT_EQ(plain_bytes, 0);
  EXPECT_EQ(value, 99);
  EXPECT_NE(*static_cast<int*>(thread_state_get(s.plain)), 5);
  // The clean-ups run after the thread has ended (on Windows from a watcher thread).
  ASSERT_TRUE(wait_for(g_order_done));
  std::lock_guard<std::mutex> guard(g_order_lock);
  EXPECT_EQ(g_order, "second;first;");
}

TEST(ThreadState, ManyThreadsAreAllCleanedUp) {
  const Slices& s = slices();
  int before = g_cleanups;
  // More threads than one watcher can wait on at once.
  constexpr int kThreads = 70;
  std::atomic<bool> release{false};
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([&] {
      thread_state_get(s.second);
      while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
  }
  release = true;
  for (auto& t : threads) t.join();
  for (int i = 0; i < 500 && g_cleanups - before < kThreads; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(g_cleanups - before, kThreads);
}

#ifdef _WIN32
// Threads of this process, counted from outside the runtime.
int process_thread_count() {
  const win::Handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  if (!snapshot) return -1;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  int count = 0;
  for (BOOL more = Thread32First(snapshot.get(), &entry); more;
       more = Thread32Next(snapshot.get(), &entry)) {
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
  }
  return count;
}

// One watcher serves 62 threads; the 63rd starts a second one. Counted as the threads beyond
// the registered ones, once each registration has been made.
TEST(OnThreadExit, OneWatcherServesSixtyTwoThreads) {
  // Watchers of earlier tests end once their threads have been cleaned up: wait until the count
  // holds still.
  int before = process_thread_count();
  for (int i = 0; i < 40; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const int now = process_thread_count();
    if (now == before) break;
    before = now;
  }
  ASSERT_GT(before, 0);
  std::atomic<int> registered{0};
  std::atomic<bool> release{false};
  std::vector<std::thread> threads;
  auto start = [&](int n) {
    for (int i = 0; i < n; ++i) {
      threads.emplace_back([&] {
        on_thread_exit([](void*) {}, nullptr);
        ++registered;
        while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      });
    }
    for (int i = 0; i < 500 && registered < static_cast<int>(threads.size()); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return registered == static_cast<int>(threads.size());
  };
  auto watchers = [&] {
    return process_thread_count() - before - static_cast<int>(threads.size());
  };
  ASSERT_TRUE(start(62));
  EXPECT_EQ(watchers(), 1);
  ASSERT_TRUE(start(1));
  EXPECT_EQ(watchers(), 2);
  release = true;
  for (auto& t : threads) t.join();
}
#endif

TEST(OnThreadExit, RunsForAThreadRegisteredTwiceNewestFirst) {
  static std::string order;
  static std::atomic<bool> done{false};
  order.clear();
  done = false;
  std::thread t([] {
    on_thread_exit(
        [](void*) {
          order += "a";
          done = true;
        },
        nullptr);
    on_thread_exit([](void*) { order += "b"; }, nullptr);
  });
  t.join();
  ASSERT_TRUE(wait_for(done));
  EXPECT_EQ(order, "ba");
}

TEST(Heaps, BlocksAreZeroFilledAndGrowWithZeros) {
  auto* p = static_cast<unsigned char*>(heap_alloc(64));
  ASSERT_NE(p, nullptr);
  for (int i = 0; i < 64; ++i) ASSERT_EQ(p[i], 0);
  std::memset(p, 0xAB, 64);
  p = static_cast<unsigned char*>(heap_realloc(p, 4096));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p[63], 0xAB);
  for (int i = 64; i < 4096; ++i) ASSERT_EQ(p[i], 0) << i;
  heap_free(p);
  char* s = heap_strdup(nullptr);
  EXPECT_STREQ(s, "");
  heap_free(s);
  char* t = string_heap_strdup("Jar ausw\xE4hlen");
  EXPECT_STREQ(t, "Jar ausw\xE4hlen");
  string_heap_free(t);
}

// No build hands out a block a 32-bit process could never hold; a refused growth keeps the
// block and its contents.
TEST(Heaps, BlocksOf2GiBOrMoreAreRefusedOnEveryBuild) {
  const size_t too_large = size_t{0x80000000};
  EXPECT_EQ(heap_alloc(too_large), nullptr);
  EXPECT_EQ(string_heap_alloc(too_large), nullptr);
  char* kept = heap_strdup("kept");
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(heap_realloc(kept, too_large), nullptr);
  EXPECT_STREQ(kept, "kept");
  heap_free(kept);
}

TEST(Arrays, OperationsAreInstalledAndRefuseOverflow) {
  arrays_init();
  const ArrayOps* ops = array_ops();
  ASSERT_NE(ops, nullptr);
  auto* a = static_cast<int*>(ops->allocate(10, sizeof(int)));
  ASSERT_NE(a, nullptr);
  a[9] = 3;
  a = static_cast<int*>(ops->redimension(a, 20, sizeof(int)));
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a[9], 3);
  EXPECT_EQ(a[19], 0);
  EXPECT_EQ(ops->allocate(static_cast<size_t>(-1) / 2, 4), nullptr);
  ops->release(a);
}

}  // namespace
