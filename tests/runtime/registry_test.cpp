#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "runtime/registry.h"
#include "runtime/runtime.h"

namespace {

struct Record {
  uint32_t live;
  int payload;
};

// A kind whose destroy operation is recorded, as windows and gadgets are.
ObjectTable* g_table = nullptr;
std::vector<intptr_t> g_released;

void release_recorded(intptr_t number) {
  g_released.push_back(number);
  if (object_find(g_table, number)) object_release(g_table, number);
}

class ObjectTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_released.clear();
    g_table = object_table_create(sizeof(Record), 16, release_recorded);
    ASSERT_NE(g_table, nullptr);
  }
  void TearDown() override { object_table_destroy(g_table); }

  Record* make(intptr_t number, int payload = 1) {
    auto* r = static_cast<Record*>(object_claim(g_table, number));
    if (r) *r = Record{1, payload};
    return r;
  }

  std::vector<intptr_t> walk() {
    std::vector<intptr_t> seen;
    object_walk_begin(g_table);
    intptr_t n = 0;
    while (object_walk_next(g_table, &n)) seen.push_back(n);
    return seen;
  }
};

TEST_F(ObjectTableTest, SlotArrayGrowsLinearlyByTheStep) {
  EXPECT_EQ(object_slot_count(g_table), 16);
  ASSERT_TRUE(make(0));
  EXPECT_EQ(object_slot_count(g_table), 16);
  ASSERT_TRUE(make(16));
  EXPECT_EQ(object_slot_count(g_table), 32);
  ASSERT_TRUE(make(1000));
  EXPECT_EQ(object_slot_count(g_table), 1016);
  EXPECT_EQ(object_find(g_table, 500), nullptr);
  EXPECT_EQ(walk(), (std::vector<intptr_t>{0, 16, 1000}));
}

TEST_F(ObjectTableTest, ReclaimingALiveNumberReleasesItOnceAndReusesTheRecord) {
  Record* first = make(3, 42);
  Record* again = static_cast<Record*>(object_claim(g_table, 3));
  EXPECT_EQ(g_released, (std::vector<intptr_t>{3}));
  EXPECT_EQ(again, first);
  EXPECT_EQ(again->live, 0u);
  EXPECT_EQ(again->payload, 0);
  // A released number: the kind's release is still asked, finds nothing.
  object_claim(g_table, 3);
  EXPECT_EQ(g_released.size(), 2u);
}

TEST_F(ObjectTableTest, FindAnswersOnlyForLiveRecords) {
  Record* r = static_cast<Record*>(object_claim(g_table, 2));
  EXPECT_EQ(object_find(g_table, 2), nullptr) << "zero-filled record counts as absent";
  r->live = 7;
  EXPECT_EQ(object_find(g_table, 2), r);
  object_release(g_table, 2);
  EXPECT_EQ(object_find(g_table, 2), nullptr);
  EXPECT_EQ(object_find(g_table, -1), nullptr);
  EXPECT_EQ(object_find(g_table, 15), nullptr);
}

TEST_F(ObjectTableTest, NumbersBelowMinusOneAreRefused) {
  EXPECT_EQ(object_claim(g_table, -2), nullptr);
  EXPECT_EQ(object_claim(g_table, INTPTR_MIN), nullptr);
  EXPECT_EQ(object_slot_count(g_table), 16);
  // Releasing such a number touches no record (slot 0 counted from the end would be -5 + 16).
  make(11, 5);
  make(-1, 6);
  object_release(g_table, -5);
  ASSERT_NE(object_find(g_table, 11), nullptr);
  EXPECT_EQ(static_cast<Record*>(object_find(g_table, 11))->payload, 5);
  EXPECT_EQ(walk().size(), 2u);
}

// A record that cannot be allocated leaves the table exactly as it was: no enlarged slot array,
// no half-made object. (Records of 2 GiB are refused by the heap on every build.)
TEST(ObjectTableOutOfMemory, FailedClaimLeavesTheTableAsItWas) {
  ObjectTable* t = object_table_create(INT32_MAX, 16, nullptr);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(object_claim(t, 40), nullptr);
  EXPECT_EQ(object_slot_count(t), 16);
  EXPECT_EQ(object_claim(t, 3), nullptr);
  EXPECT_EQ(object_claim(t, -1), nullptr);
  EXPECT_EQ(object_slot_count(t), 16);
  object_walk_begin(t);
  intptr_t n = 0;
  EXPECT_EQ(object_walk_next(t, &n), nullptr);
  object_table_destroy(t);

  // A slot array that cannot grow that far fails the claim the same way, and the table still
  // works.
  t = object_table_create(sizeof(Record), 16, nullptr);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(object_claim(t, INT32_MAX - 1), nullptr);
  EXPECT_EQ(object_slot_count(t), 16);
  auto* r = static_cast<Record*>(object_claim(t, 3));
  ASSERT_NE(r, nullptr);
  r->live = 1;
  EXPECT_EQ(object_find(t, 3), r);
  object_walk_begin(t);
  ASSERT_EQ(object_walk_next(t, &n), r);
  EXPECT_EQ(n, 3);
  EXPECT_EQ(object_walk_next(t, &n), nullptr);
  object_table_destroy(t);
}

TEST_F(ObjectTableTest, AutomaticNumbersAreOutsideTheSlotsAndRecognisedSafely) {
  Record* a = make(-1, 10);
  Record* b = make(-1, 20);
  intptr_t na = object_number_of(g_table, a);
  intptr_t nb = object_number_of(g_table, b);
  EXPECT_NE(na, nb);
  for (intptr_t n : {na, nb}) {
    EXPECT_GE(n, object_slot_count(g_table));
    EXPECT_NE(n, 0);
  }
  EXPECT_EQ(object_find(g_table, na), a);
  object_release(g_table, na);
  // A released automatic number and one never handed out answer none without touching memory
  // (ASan would report a use after free).
  EXPECT_EQ(object_find(g_table, na), nullptr);
  EXPECT_EQ(object_find(g_table, nb + 12345), nullptr);
  EXPECT_EQ(object_find(g_table, reinterpret_cast<intptr_t>(b)), nullptr);
  object_release(g_table, na);
  EXPECT_EQ(object_find(g_table, nb), b);
  // A later automatic record does not take the released number back.
  Record* c = make(-1);
  EXPECT_NE(object_number_of(g_table, c), na);
}

TEST_F(ObjectTableTest, WalkGivesSlotsAscendingThenAutomaticOldestFirst) {
  make(7);
  Record* a = make(-1);
  make(0);
  Record* b = make(-1);
  make(3);
  std::vector<intptr_t> expected{0, 3, 7, object_number_of(g_table, a),
                                 object_number_of(g_table, b)};
  EXPECT_EQ(walk(), expected);
}

TEST_F(ObjectTableTest, ReleasingDuringAWalkVisitsEachObjectOnceAndUnlocks) {
  make(0);
  make(5);
  make(-1);
  make(-1);
  make(-1);
  const std::vector<intptr_t> live = walk();
  ASSERT_EQ(live.size(), 5u);
  object_release_all(g_table);
  // Each object exactly once, in the walk's order.
  EXPECT_EQ(g_released, live);
  EXPECT_TRUE(walk().empty());
  // The lock was given back: another thread can claim.
  bool claimed = false;
  std::thread t([&] { claimed = object_claim(g_table, 1) != nullptr; });
  t.join();
  EXPECT_TRUE(claimed);
}

TEST(ObjectTableNoRelease, ReleaseAllWithoutReleaseDoesNothing) {
  ObjectTable* t = object_table_create(sizeof(Record), 4, nullptr);
  static_cast<Record*>(object_claim(t, 1))->live = 1;
  object_release_all(t);
  EXPECT_NE(object_find(t, 1), nullptr);
  // Re-claiming without a release function still hands out a clean record.
  auto* r = static_cast<Record*>(object_claim(t, 1));
  EXPECT_EQ(r->live, 0u);
  object_table_destroy(t);
}

TEST(Lists, PushInsertRemoveKeepLinksConsistent) {
  ListHead head;
  auto* a = static_cast<int*>(list_push_front(&head, sizeof(int)));
  *a = 1;
  auto* c = static_cast<int*>(list_insert_after(&head, a, sizeof(int)));
  *c = 3;
  auto* b = static_cast<int*>(list_insert_after(&head, a, sizeof(int)));
  *b = 2;
  auto* z = static_cast<int*>(list_push_front(&head, sizeof(int)));
  EXPECT_EQ(*z, 0) << "nodes are zero-filled";
  std::vector<int> forward;
  for (void* p = list_first(&head); p; p = list_next(p)) forward.push_back(*static_cast<int*>(p));
  EXPECT_EQ(forward, (std::vector<int>{0, 1, 2, 3}));
  std::vector<int> backward;
  for (void* p = list_last(&head); p; p = list_prev(p)) backward.push_back(*static_cast<int*>(p));
  EXPECT_EQ(backward, (std::vector<int>{3, 2, 1, 0}));
  list_remove(&head, z);  // first
  list_remove(&head, c);  // last
  list_remove(&head, a);  // middle... now first
  EXPECT_EQ(list_first(&head), b);
  EXPECT_EQ(list_prev(b), nullptr);
  EXPECT_EQ(list_next(b), nullptr);
  list_remove(&head, b);
  EXPECT_EQ(list_first(&head), nullptr);
}

}  // namespace
