// Object tables, the per-thread state area and the list operations.
#include <cstring>
#include <new>
#include <unordered_map>

#include "runtime/lock.h"
#include "runtime/platform.h"
#include "runtime/registry.h"
#include "runtime/runtime.h"

// ---------------------------------------------------------------- lists

namespace {

ListNode* node_of(void* payload) { return static_cast<ListNode*>(payload) - 1; }
void* payload_of(ListNode* node) { return node ? node + 1 : nullptr; }

ListNode* new_node(size_t payload_size) {
  if (payload_size > static_cast<size_t>(-1) - sizeof(ListNode)) return nullptr;
  return static_cast<ListNode*>(heap_alloc(sizeof(ListNode) + payload_size));
}

}  // namespace

void* list_push_front(ListHead* head, size_t payload_size) {
  return list_insert_after(head, nullptr, payload_size);
}

void* list_insert_after(ListHead* head, void* after, size_t payload_size) {
  ListNode* node = new_node(payload_size);
  if (!node) return nullptr;
  ListNode* prev = after ? node_of(after) : nullptr;
  ListNode* next = prev ? prev->next : head->first;
  node->prev = prev;
  node->next = next;
  if (next) next->prev = node;
  if (prev) {
    prev->next = node;
  } else {
    head->first = node;
  }
  return payload_of(node);
}

void list_remove(ListHead* head, void* payload) {
  if (!payload) return;
  ListNode* node = node_of(payload);
  if (node->prev) {
    node->prev->next = node->next;
  } else {
    head->first = node->next;
  }
  if (node->next) node->next->prev = node->prev;
  heap_free(node);
}

void* list_first(const ListHead* head) { return payload_of(head->first); }

void* list_last(const ListHead* head) {
  ListNode* node = head->first;
  while (node && node->next) node = node->next;
  return payload_of(node);
}

void* list_next(void* payload) { return payload ? payload_of(node_of(payload)->next) : nullptr; }
void* list_prev(void* payload) { return payload ? payload_of(node_of(payload)->prev) : nullptr; }

// ---------------------------------------------------------------- object tables

namespace {

// Every record is preceded by a small header that remembers its number, so that a creating
// operation can tell the automatic number of the record it claimed.
struct alignas(8) RecordHeader {
  intptr_t number;
};
constexpr size_t kHeaderSize = (sizeof(RecordHeader) + 7) & ~size_t{7};

// Automatic numbers come from a range that no slot array can reach on the 32-bit target (a
// slot array that large would need 4 GiB), so slot numbers are refused from there on. Issued
// numbers are kept in a map: a number that was never issued, or was released, is simply not
// found, and no freed memory is touched.
constexpr intptr_t kAutoFirst = 0x40000000;
constexpr intptr_t kAutoLast = 0x7FFFFFFF;

RecordHeader* header_of(void* record) {
  return reinterpret_cast<RecordHeader*>(static_cast<unsigned char*>(record) - kHeaderSize);
}
void* record_of(void* block) { return static_cast<unsigned char*>(block) + kHeaderSize; }

bool record_exists(const void* record) {
  uint32_t first;
  std::memcpy(&first, record, sizeof first);
  return first != 0;
}

}  // namespace

struct ObjectTable {
  int32_t record_size = 0;
  int32_t growth_step = 0;
  int32_t slot_count = 0;
  void** slots = nullptr;   // slot n: record of number n (header in front), or null
  ListHead automatic_list;  // payload = header + record, newest first
  ObjectRelease release = nullptr;
  int32_t walk_position = 0;
  void* walk_cursor = nullptr;  // payload of the next automatic node of a running walk
  Lock lock;
  std::unordered_map<intptr_t, void*> automatic;  // number -> record
  intptr_t next_automatic = kAutoFirst;
};

ObjectTable* object_table_create(int32_t record_size, int32_t growth_step, ObjectRelease release) {
  if (record_size < 4 || growth_step < 1) return nullptr;
  void* memory = heap_alloc(sizeof(ObjectTable));
  if (!memory) return nullptr;
  auto* table = new (memory) ObjectTable;
  table->record_size = record_size;
  table->growth_step = growth_step;
  table->release = release;
  table->slots = static_cast<void**>(heap_alloc(sizeof(void*) * static_cast<size_t>(growth_step)));
  if (!table->slots) {
    table->~ObjectTable();
    heap_free(memory);
    return nullptr;
  }
  table->slot_count = growth_step;
  return table;
}

void object_table_destroy(ObjectTable* table) {
  if (!table) return;
  for (int32_t i = 0; i < table->slot_count; ++i) {
    if (table->slots[i]) heap_free(header_of(table->slots[i]));
  }
  heap_free(table->slots);
  while (void* payload = list_first(&table->automatic_list))
    list_remove(&table->automatic_list, payload);
  table->~ObjectTable();
  heap_free(table);
}

namespace {

void* claim_automatic(ObjectTable* t) {
  if (t->automatic.size() >= static_cast<size_t>(kAutoLast - kAutoFirst)) return nullptr;
  intptr_t number = t->next_automatic;
  while (t->automatic.count(number)) number = number == kAutoLast ? kAutoFirst : number + 1;
  void* payload =
      list_push_front(&t->automatic_list, kHeaderSize + static_cast<size_t>(t->record_size));
  if (!payload) return nullptr;
  void* record = record_of(payload);
  try {
    t->automatic.emplace(number, record);
  } catch (const std::bad_alloc&) {
    list_remove(&t->automatic_list, payload);
    return nullptr;
  }
  header_of(record)->number = number;
  t->next_automatic = number == kAutoLast ? kAutoFirst : number + 1;
  return record;
}

void* claim_slot(ObjectTable* t, intptr_t number) {
  if (number < t->slot_count && t->slots[number]) {
    // The number was used before: let the kind tear down a live object (it zero-fills the
    // record through object_release), then hand out the same memory again.
    void* record = t->slots[number];
    if (t->release) t->release(number);
    std::memset(record, 0, static_cast<size_t>(t->record_size));
    return record;
  }
  // The record first: when it cannot be had, the slot array is left as it was.
  void* block = heap_alloc(kHeaderSize + static_cast<size_t>(t->record_size));
  if (!block) return nullptr;
  if (number >= t->slot_count) {
    // Linear growth: the requested number plus one step.
    size_t count = static_cast<size_t>(number) + static_cast<size_t>(t->growth_step);
    void** grown = nullptr;
    if (count <= static_cast<size_t>(INT32_MAX) &&
        count <= static_cast<size_t>(-1) / sizeof(void*)) {
      grown = static_cast<void**>(heap_realloc(t->slots, count * sizeof(void*)));
    }
    if (!grown) {
      heap_free(block);
      return nullptr;
    }
    t->slots = grown;
    t->slot_count = static_cast<int32_t>(count);
  }
  void* record = record_of(block);
  header_of(record)->number = number;
  t->slots[number] = record;
  return record;
}

// Looks a number up without the existence test. Caller holds the lock.
void* lookup(ObjectTable* t, intptr_t number) {
  if (number >= 0 && number < t->slot_count) return t->slots[number];
  if (number < kAutoFirst) return nullptr;
  auto it = t->automatic.find(number);
  return it == t->automatic.end() ? nullptr : it->second;
}

}  // namespace

void* object_claim(ObjectTable* table, intptr_t number) {
  if (!table || number < -1 || number >= kAutoFirst) return nullptr;
  LockGuard guard(table->lock);
  return number == -1 ? claim_automatic(table) : claim_slot(table, number);
}

void* object_find(ObjectTable* table, intptr_t number) {
  if (!table || number < 0) return nullptr;
  LockGuard guard(table->lock);
  void* record = lookup(table, number);
  return record && record_exists(record) ? record : nullptr;
}

void object_release(ObjectTable* table, intptr_t number) {
  if (!table || number < 0) return;
  LockGuard guard(table->lock);
  if (number < table->slot_count) {
    if (void* record = table->slots[number])
      std::memset(record, 0, static_cast<size_t>(table->record_size));
    return;
  }
  auto it = table->automatic.find(number);
  if (it == table->automatic.end()) return;
  void* payload = header_of(it->second);
  table->automatic.erase(it);
  // A walk in progress must not step onto the node that goes away.
  if (table->walk_cursor == payload) table->walk_cursor = list_prev(payload);
  list_remove(&table->automatic_list, payload);
}

intptr_t object_number_of(ObjectTable* table, const void* record) {
  if (!table || !record) return -1;
  LockGuard guard(table->lock);
  intptr_t number = header_of(const_cast<void*>(record))->number;
  return lookup(table, number) == record ? number : -1;
}

void object_walk_begin(ObjectTable* table) {
  table->lock.lock();
  table->walk_position = 0;
  table->walk_cursor = list_last(&table->automatic_list);
}

void* object_walk_next(ObjectTable* table, intptr_t* number) {
  while (table->walk_position < table->slot_count) {
    int32_t index = table->walk_position++;
    void* record = table->slots[index];
    if (record && record_exists(record)) {
      if (number) *number = index;
      return record;
    }
  }
  if (table->walk_cursor) {
    void* payload = table->walk_cursor;
    table->walk_cursor = list_prev(payload);
    void* record = record_of(payload);
    if (number) *number = header_of(record)->number;
    return record;
  }
  table->lock.unlock();
  return nullptr;
}

void object_release_all(ObjectTable* table) {
  if (!table || !table->release) return;
  object_walk_begin(table);
  intptr_t number = 0;
  while (object_walk_next(table, &number)) table->release(number);
}

int32_t object_slot_count(const ObjectTable* table) { return table ? table->slot_count : 0; }

// ---------------------------------------------------------------- per-thread state

namespace {

struct Registration {
  size_t offset;
  ThreadStateFn init;
  ThreadStateFn cleanup;
};

size_t g_total_size = 0;
ListHead g_registrations;  // newest first

void thread_block_cleanup(void* block) {
  for (auto* r = static_cast<Registration*>(list_first(&g_registrations)); r;
       r = static_cast<Registration*>(list_next(r))) {
    if (r->cleanup) r->cleanup(static_cast<unsigned char*>(block) + r->offset);
  }
  heap_free(block);
}

}  // namespace

size_t thread_state_register(size_t size, ThreadStateFn init, ThreadStateFn cleanup) {
  size = (size + 3) & ~size_t{3};
  if (g_total_size == 0) {
    rt_platform::tls_alloc();
    rt_detail::g_tls_teb_offset = rt_platform::tls_teb_offset();
    if (!rt_platform::tls_get()) rt_platform::tls_set(heap_alloc(0));
  }
  size_t offset = g_total_size;
  g_total_size += size;
  void* block = rt_platform::tls_get();
  void* grown = block ? heap_realloc(block, g_total_size) : heap_alloc(g_total_size);
  if (grown) rt_platform::tls_set(grown);
  if (init || cleanup) {
    if (auto* r =
            static_cast<Registration*>(list_push_front(&g_registrations, sizeof(Registration)))) {
      *r = Registration{offset, init, cleanup};
    }
    if (init && grown) init(static_cast<unsigned char*>(grown) + offset);
  }
  return offset;
}

size_t rt_detail::g_tls_teb_offset = 0;

void* rt_detail::thread_state_get_slow(size_t offset) {
  auto* block = static_cast<unsigned char*>(rt_platform::tls_get());
  if (!block) {
    rt_platform::tls_alloc();
    // The thread's first access: a fresh block, every init (newest first), and a clean-up once
    // the thread has ended.
    block = static_cast<unsigned char*>(heap_alloc(g_total_size));
    if (!block) return nullptr;
    rt_platform::tls_set(block);
    for (auto* r = static_cast<Registration*>(list_first(&g_registrations)); r;
         r = static_cast<Registration*>(list_next(r))) {
      if (r->init) r->init(block + r->offset);
    }
    on_thread_exit(thread_block_cleanup, block);
  }
  return block + offset;
}
