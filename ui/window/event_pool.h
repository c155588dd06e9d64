// Fixed-size block allocator for queued events, private to one thread (no lock).
//
// Slots are handed out from chunks of 16 to 256 slots (the chunk size grows with the pool:
// total slots / 16, cut to a multiple of 16). Freed slots go onto their chunk's free list and
// are reused; a chunk leaves the pool once every slot it ever handed out is back. Up to
// kEventSpareChunks emptied chunks of the smallest size are kept aside and reused for the next
// new chunk of that size, so that a burst of events does not cost a heap round trip per 16
// events; the others go back to the heap at once.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ui/window/window.h"

struct EventNode {
  EventNode* next;
  int32_t event;
  intptr_t object;
  intptr_t window;
  int32_t type;
  void* data;
  EventDataRelease data_release;
};

// Internal layout, visible here so that the common paths of alloc and free inline.
struct EventChunk {
  EventChunk* next;
  EventChunk* prev;
  EventNode* free_list;  // returned slots, linked through EventNode::next
  int32_t slot_total;
  int32_t used_top;    // slots handed out from the never-used part
  // Slots the chunk can still hand out: the never-used ones plus those on free_list. One counter
  // answers both questions of the common paths: 0 = full, slot_total = every slot is back.
  int32_t slots_left;
};

// A slot is a back link to its chunk followed by the node.
struct EventSlot {
  EventChunk* chunk;
  EventNode node;
};

// Heap used for the pool's chunks. Defaults to the runtime's main heap; tests may swap it to
// simulate exhaustion.
struct EventPoolHeap {
  void* (*allocate)(size_t size);  // zero-filled block or nullptr
  void (*release)(void* block);
};

struct EventPool {
  EventChunk* full_chunks;
  EventChunk* open_chunks;
  int32_t total_slots;
  int32_t slot_size;
  int32_t min_chunk;
  int32_t max_chunk;
  EventPoolHeap heap;
  EventChunk* spare_chunks;  // emptied chunks of min_chunk slots, linked through next
  int32_t spare_count;
};

// Emptied chunks kept for reuse: at most 8 x 16 slots (about 8 KiB in a 64-bit build).
constexpr int32_t kEventSpareChunks = 8;

EventPool* event_pool_create(const EventPoolHeap* heap = nullptr);  // nullptr when out of memory
void event_pool_destroy(EventPool* pool);                           // frees every chunk
// event_pool_alloc (nullptr when out of memory) and event_pool_free are inline below.

// The less common paths (event_pool.cpp).
EventNode* event_pool_alloc_new_chunk(EventPool* pool);
void event_pool_chunk_filled(EventPool* pool, EventChunk* chunk);
void event_pool_chunk_changed(EventPool* pool, EventChunk* chunk);

constexpr size_t event_pool_round_up(size_t value, size_t step) {
  return (value + step - 1) / step * step;
}
constexpr size_t kEventSlotSize =
    event_pool_round_up(sizeof(EventSlot), alignof(EventSlot) < 4 ? 4 : alignof(EventSlot));
constexpr size_t kEventChunkHeaderSize =
    event_pool_round_up(sizeof(EventChunk), alignof(EventSlot));

inline EventSlot* event_slot_at(EventChunk* chunk, int32_t index) {
  auto* base = reinterpret_cast<unsigned char*>(chunk) + kEventChunkHeaderSize;
  return reinterpret_cast<EventSlot*>(base + static_cast<size_t>(index) * kEventSlotSize);
}

inline EventSlot* event_slot_of(EventNode* node) {
  return reinterpret_cast<EventSlot*>(reinterpret_cast<unsigned char*>(node) -
                                      offsetof(EventSlot, node));
}

inline EventNode* event_pool_alloc(EventPool* pool) {
  EventChunk* chunk = pool->open_chunks;
  if (!chunk) return event_pool_alloc_new_chunk(pool);
  EventNode* node = chunk->free_list;
  if (node) {
    // A returned slot still holds its back link.
    chunk->free_list = node->next;
  } else {
    EventSlot* slot = event_slot_at(chunk, chunk->used_top++);
    slot->chunk = chunk;
    node = &slot->node;
  }
  if (--chunk->slots_left == 0) event_pool_chunk_filled(pool, chunk);
  return node;
}

inline void event_pool_free(EventPool* pool, EventNode* node) {
  if (!node) return;
  EventChunk* chunk = event_slot_of(node)->chunk;
  node->next = chunk->free_list;
  chunk->free_list = node;
  // 1: the chunk was full until now; slot_total: every slot it handed out is back.
  const int32_t left = ++chunk->slots_left;
  if (left == 1 || left == chunk->slot_total) event_pool_chunk_changed(pool, chunk);
}

struct EventPoolStats {
  int32_t total_slots;   // slots in all chunks
  int32_t open_chunks;   // chunks with a free slot
  int32_t full_chunks;   // chunks without one
  int32_t spare_chunks;  // emptied chunks kept for reuse (not in total_slots)
};
EventPoolStats event_pool_stats(const EventPool* pool);

// The calling thread's queue pool (tests).
EventPool* event_queue_pool();
