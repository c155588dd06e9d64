// The per-thread event queue and its node pool (platform-free; runs on the host under the
// sanitizers and under Wine).
#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>
#include <vector>

#include "runtime/runtime.h"
#include "support/waited_event.h"
#include "ui/window/event_pool.h"
#include "ui/window/window.h"

namespace {

using Ev = WaitedEvent;

std::vector<Ev> pop_all() {
  std::vector<Ev> out;
  Ev e{};
  while ((e.event = event_pop(&e.object, &e.window, &e.type, nullptr, nullptr)) != 0) {
    out.push_back(e);
  }
  return out;
}

int g_released = 0;
void count_release(void* data) {
  ++g_released;
  std::free(data);
}

class EventQueueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    events_init();  // registers once; later calls do nothing
    pop_all();
    g_released = 0;
  }
  void TearDown() override { pop_all(); }
};

TEST_F(EventQueueTest, PopReturnsEventsInOrderAndZeroWhenEmpty) {
  event_post(16, 0, 0, 0);
  event_post(13100, 8, 0, 0);
  event_post(13104, 0, 0, 0);
  EXPECT_EQ(pop_all(), (std::vector<Ev>{{16, 0, 0, 0}, {13100, 8, 0, 0}, {13104, 0, 0, 0}}));
  EXPECT_EQ(event_pop(nullptr, nullptr, nullptr, nullptr, nullptr), 0);
  // The queue works again after running empty (tail was reset).
  event_post(3, 1, 1, 0);
  EXPECT_EQ(pop_all(), (std::vector<Ev>{{3, 1, 1, 0}}));
}

TEST_F(EventQueueTest, IdenticalConsecutivePostsAreFolded) {
  event_post(15, 0, 0, 0);
  event_post(15, 0, 0, 0);
  event_post(5, 0, 0, 0);
  event_post(15, 0, 0, 0);  // not consecutive: kept
  event_post(15, 0, 1, 0);  // other window: kept
  event_post(15, 0, 1, 0);
  EXPECT_EQ(pop_all(),
            (std::vector<Ev>{{15, 0, 0, 0}, {5, 0, 0, 0}, {15, 0, 0, 0}, {15, 0, 1, 0}}));
}

TEST_F(EventQueueTest, FoldedAndPurgedDataIsReleasedAndPoppedDataHandedOver) {
  event_post(13100, 1, 0, 0, std::malloc(4), count_release);
  event_post(13100, 1, 0, 0, std::malloc(4), count_release);  // folded: its data goes at once
  EXPECT_EQ(g_released, 1);
  void* data = nullptr;
  EventDataRelease release = nullptr;
  EXPECT_EQ(event_pop(nullptr, nullptr, nullptr, &data, &release), 13100);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(release, count_release);
  release(data);
  event_post(13100, 2, 0, 0, std::malloc(4), count_release);
  event_purge(13100, 2, -1, -1);
  EXPECT_EQ(g_released, 3);
  event_post(13100, 3, 0, 0, std::malloc(4), count_release);
  EXPECT_EQ(event_pop(nullptr, nullptr, nullptr, nullptr, nullptr), 13100);  // nobody takes it
  EXPECT_EQ(g_released, 4);
}

TEST_F(EventQueueTest, PurgeMatchesEachFieldOrAnyAndKeepsOrder) {
  event_post(13100, 5, 0, 0);
  event_post(16, 0, 0, 0);
  event_post(13100, 6, 0, 0);
  event_post(13100, 5, 1, 2);
  event_post(13100, 6, 1, 0);
  event_purge(13100, 5, -1, -1);
  EXPECT_EQ(event_queue_length(), 3);
  event_post(3, 9, 9, 0);  // tail must be the last kept node
  EXPECT_EQ(pop_all(),
            (std::vector<Ev>{{16, 0, 0, 0}, {13100, 6, 0, 0}, {13100, 6, 1, 0}, {3, 9, 9, 0}}));

  event_post(13100, 6, 0, 0);
  event_post(13100, 6, 0, 14002);
  event_purge(-1, -1, -1, 14002);
  EXPECT_EQ(pop_all(), (std::vector<Ev>{{13100, 6, 0, 0}}));
}

TEST_F(EventQueueTest, PurgeWindowRemovesOnlyThatWindowsEvents) {
  event_post(16, 2, 2, 0);
  event_post(13104, 0, 1, 0);
  event_post(5, 0, 2, 0);
  event_post(13100, 4, 2, 0);
  event_purge_window(2);
  EXPECT_EQ(pop_all(), (std::vector<Ev>{{13104, 0, 1, 0}}));
  event_purge_window(7);  // nothing queued: nothing happens
  event_purge(-1, -1, -1, -1);
  EXPECT_EQ(event_queue_length(), 0);
}

TEST_F(EventQueueTest, FirstChunkIsPinnedAndLaterChunksAreFreedWhenEmptied) {
  EventPool* pool = event_queue_pool();
  ASSERT_NE(pool, nullptr);
  ASSERT_EQ(event_pool_stats(pool).total_slots, 16);
  for (int i = 0; i < 15; ++i) event_post(13100, i, 0, 0);
  EXPECT_EQ(event_pool_stats(pool).total_slots, 16);
  EXPECT_EQ(event_pool_stats(pool).full_chunks, 1);
  event_post(13100, 15, 0, 0);  // the 16th needs a second chunk of 16
  EXPECT_EQ(event_pool_stats(pool).total_slots, 32);
  EXPECT_EQ(pop_all().size(), 16u);
  // The second chunk left the pool (kept aside for reuse); the first stays (its pinned node).
  EXPECT_EQ(event_pool_stats(pool).total_slots, 16);
  EXPECT_EQ(event_pool_stats(pool).open_chunks, 1);
  EXPECT_EQ(event_pool_stats(pool).spare_chunks, 1);
  // Bursts: the second one runs on the chunks the first one emptied, the third needs more than
  // are kept (twelve chunks: eight are kept, four go back to the heap as the pops empty them).
  // Each pops exactly its own events in order.
  const struct {
    int events, chunks, kept;
  } bursts[] = {{100, 6, 6}, {100, 6, 6}, {200, 12, kEventSpareChunks}};
  int round = 0;
  for (const auto& burst : bursts) {
    std::vector<Ev> posted;
    for (int i = 0; i < burst.events; ++i) {
      posted.push_back({13100, round * 1000 + i, 0, 0});
      event_post(13100, round * 1000 + i, 0, 0);
    }
    EXPECT_EQ(event_pool_stats(pool).total_slots, 16 + burst.chunks * 16);
    EXPECT_EQ(pop_all(), posted);
    EXPECT_EQ(event_pool_stats(pool).total_slots, 16);
    EXPECT_EQ(event_pool_stats(pool).spare_chunks, burst.kept);
    ++round;
  }
}

TEST_F(EventQueueTest, EachThreadHasItsOwnQueue) {
  event_post(16, 0, 0, 0);
  int32_t seen_on_thread = -1;
  std::thread other([&] {
    seen_on_thread = event_pop(nullptr, nullptr, nullptr, nullptr, nullptr);
    event_post(13100, 1, 0, 0);  // left queued: the thread's clean-up destroys its pool
  });
  other.join();
  EXPECT_EQ(seen_on_thread, 0);
  EXPECT_EQ(pop_all(), (std::vector<Ev>{{16, 0, 0, 0}}));
}

// --- The pool on its own. ---

int g_heap_budget = -1;  // allocations still allowed; -1 = unlimited
void* limited_alloc(size_t size) {
  if (g_heap_budget == 0) return nullptr;
  if (g_heap_budget > 0) --g_heap_budget;
  return heap_alloc(size);
}
const EventPoolHeap kLimitedHeap = {limited_alloc, heap_free};

TEST(EventPoolTest, ChunkSizeGrowsWithThePoolFrom16To256) {
  EventPool* pool = event_pool_create();
  ASSERT_NE(pool, nullptr);
  std::vector<EventNode*> nodes;
  std::vector<int32_t> totals;
  for (int i = 0; i < 6000; ++i) {
    nodes.push_back(event_pool_alloc(pool));
    ASSERT_NE(nodes.back(), nullptr);
    if (totals.empty() || totals.back() != event_pool_stats(pool).total_slots) {
      totals.push_back(event_pool_stats(pool).total_slots);
    }
  }
  // 16 per chunk up to 512 slots, then total/16 cut to a multiple of 16, at most 256.
  ASSERT_GE(totals.size(), 33u);
  EXPECT_EQ(totals[31], 512);
  EXPECT_EQ(totals[32], 512 + 32);
  EXPECT_EQ(totals.back() - totals[totals.size() - 2], 256);
  // Every node is distinct and writable.
  for (size_t i = 0; i < nodes.size(); ++i) nodes[i]->object = static_cast<intptr_t>(i);
  for (size_t i = 0; i < nodes.size(); ++i) ASSERT_EQ(nodes[i]->object, static_cast<intptr_t>(i));
  // Freed in a scattered order, every chunk goes back.
  for (size_t i = 0; i < nodes.size(); i += 2) event_pool_free(pool, nodes[i]);
  for (size_t i = 1; i < nodes.size(); i += 2) event_pool_free(pool, nodes[i]);
  EventPoolStats empty = event_pool_stats(pool);
  EXPECT_EQ(empty.total_slots, 0);
  EXPECT_EQ(empty.open_chunks + empty.full_chunks, 0);
  EXPECT_EQ(empty.spare_chunks, kEventSpareChunks);  // the rest went to the heap
  event_pool_destroy(pool);
}

int g_blocks_out = 0;  // blocks of the counting heap not yet released
void* counting_alloc(size_t size) {
  void* block = heap_alloc(size);
  if (block) ++g_blocks_out;
  return block;
}
void counting_release(void* block) {
  if (block) --g_blocks_out;
  heap_free(block);
}
const EventPoolHeap kCountingHeap = {counting_alloc, counting_release};

TEST(EventPoolTest, EmptiedChunksKeptAsideAreBoundedAndReusedLikeNewOnes) {
  g_blocks_out = 0;
  EventPool* pool = event_pool_create(&kCountingHeap);
  ASSERT_NE(pool, nullptr);
  std::vector<EventNode*> nodes;
  for (int i = 0; i < 12 * 16; ++i) nodes.push_back(event_pool_alloc(pool));
  // Twelve chunks emptied in a scattered order: eight are kept, four go back to the heap.
  for (size_t i = 0; i < nodes.size(); i += 3) event_pool_free(pool, nodes[i]);
  for (size_t i = 1; i < nodes.size(); i += 3) event_pool_free(pool, nodes[i]);
  for (size_t i = 2; i < nodes.size(); i += 3) event_pool_free(pool, nodes[i]);
  EXPECT_EQ(event_pool_stats(pool).total_slots, 0);
  EXPECT_EQ(event_pool_stats(pool).spare_chunks, kEventSpareChunks);
  EXPECT_EQ(g_blocks_out, 1 + kEventSpareChunks);
  // A reused chunk hands out all its 16 slots once each, as a new one would: nothing left over
  // from its free list, and no slot given twice.
  std::vector<EventNode*> again;
  for (int i = 0; i < 16; ++i) {
    again.push_back(event_pool_alloc(pool));
    again.back()->object = i;
  }
  EXPECT_EQ(g_blocks_out, 1 + kEventSpareChunks);  // no heap call
  EXPECT_EQ(event_pool_stats(pool).spare_chunks, kEventSpareChunks - 1);
  EXPECT_EQ(event_pool_stats(pool).total_slots, 16);
  EXPECT_EQ(event_pool_stats(pool).full_chunks, 1);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(again[i]->object, i);
  event_pool_free(pool, again[5]);
  EXPECT_EQ(event_pool_alloc(pool), again[5]);
  for (EventNode* node : again) event_pool_free(pool, node);
  event_pool_destroy(pool);
  EXPECT_EQ(g_blocks_out, 0);  // the kept chunks go with the pool
}

TEST(EventPoolTest, KeptChunksDoNotChangeTheChunkSizeOfABigPool) {
  EventPool* pool = event_pool_create();
  std::vector<EventNode*> nodes;
  for (int i = 0; i < 512 + 32; ++i) nodes.push_back(event_pool_alloc(pool));  // 32 x 16, 1 x 32
  for (int i = 16; i < 32; ++i) event_pool_free(pool, nodes[i]);  // the second chunk empties
  EXPECT_EQ(event_pool_stats(pool).spare_chunks, 1);
  EXPECT_EQ(event_pool_stats(pool).total_slots, 528);
  ASSERT_NE(event_pool_alloc(pool), nullptr);  // every chunk is full: a new one
  // 528 / 16 cut to a multiple of 16: 32 slots from the heap, not the kept chunk of 16.
  EXPECT_EQ(event_pool_stats(pool).total_slots, 528 + 32);
  EXPECT_EQ(event_pool_stats(pool).spare_chunks, 1);
  event_pool_destroy(pool);
}

TEST(EventPoolTest, FreedSlotsAreReusedAndAFullChunkReopens) {
  EventPool* pool = event_pool_create();
  std::vector<EventNode*> nodes;
  for (int i = 0; i < 16; ++i) nodes.push_back(event_pool_alloc(pool));
  EXPECT_EQ(event_pool_stats(pool).full_chunks, 1);
  event_pool_free(pool, nodes[3]);
  EXPECT_EQ(event_pool_stats(pool).open_chunks, 1);
  EXPECT_EQ(event_pool_alloc(pool), nodes[3]);
  EXPECT_EQ(event_pool_stats(pool).total_slots, 16);
  event_pool_destroy(pool);  // with slots still out: everything is freed
}

TEST(EventPoolTest, FallsBackToOneSlotChunksAndFailsWhenTheHeapIsExhausted) {
  g_heap_budget = 1;  // the pool record itself
  EventPool* pool = event_pool_create(&kLimitedHeap);
  ASSERT_NE(pool, nullptr);
  EXPECT_EQ(event_pool_alloc(pool), nullptr);
  g_heap_budget = -1;
  EventNode* big = event_pool_alloc(pool);
  ASSERT_NE(big, nullptr);
  g_heap_budget = 0;
  std::vector<EventNode*> rest;
  for (int i = 0; i < 15; ++i) rest.push_back(event_pool_alloc(pool));
  EXPECT_EQ(event_pool_alloc(pool), nullptr);  // chunk full, no heap left
  EXPECT_EQ(event_pool_stats(pool).total_slots, 16);
  event_pool_destroy(pool);
  g_heap_budget = -1;
}

TEST(EventPoolTest, OneSlotChunkWhenABigChunkCannotBeHad) {
  // A heap that refuses big blocks but gives small ones.
  static const EventPoolHeap small_only = {
      [](size_t size) -> void* { return size > 200 ? nullptr : heap_alloc(size); }, heap_free};
  EventPool* pool = event_pool_create(&small_only);
  ASSERT_NE(pool, nullptr);
  EventNode* a = event_pool_alloc(pool);
  EventNode* b = event_pool_alloc(pool);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(event_pool_stats(pool).total_slots, 2);
  EXPECT_EQ(event_pool_stats(pool).full_chunks, 2);
  event_pool_free(pool, a);
  EXPECT_EQ(event_pool_stats(pool).total_slots, 1);
  event_pool_free(pool, b);
  EXPECT_EQ(event_pool_stats(pool).total_slots, 0);
  event_pool_destroy(pool);
}

}  // namespace
