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
  int32_t used_top;  // slots handed out from the never-used part
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

// A new chunk from the heap, with its first slot handed out (event_pool.cpp).
EventNode* event_pool_alloc_new_chunk(EventPool* pool);

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

inline void event_chunk_unlink(EventChunk** list, EventChunk* chunk) {
  if (chunk->prev) {
    chunk->prev->next = chunk->next;
  } else {
    *list = chunk->next;
  }
  if (chunk->next) chunk->next->prev = chunk->prev;
  chunk->next = chunk->prev = nullptr;
}

inline void event_chunk_push_front(EventChunk** list, EventChunk* chunk) {
  chunk->prev = nullptr;
  chunk->next = *list;
  if (*list) (*list)->prev = chunk;
  *list = chunk;
}

// Slots of the pool's next new chunk: total/16 cut to a multiple of 16, from 16 to 256.
inline int32_t event_pool_next_chunk_size(const EventPool* pool) {
  int32_t count = pool->total_slots / 16 / 16 * 16;
  if (count < pool->min_chunk) count = pool->min_chunk;
  if (count > pool->max_chunk) count = pool->max_chunk;
  return count;
}

// Sets up the header of a chunk of count slots, new or kept aside, adds it to the pool and
// hands out its first slot.
inline EventNode* event_pool_start_chunk(EventPool* pool, EventChunk* chunk, int32_t count) {
  chunk->slot_total = count;
  chunk->used_top = 1;
  chunk->slots_left = count - 1;
  chunk->free_list = nullptr;
  pool->total_slots += count;
  event_chunk_push_front(count > 1 ? &pool->open_chunks : &pool->full_chunks, chunk);
  EventSlot* slot = event_slot_at(chunk, 0);
  slot->chunk = chunk;
  return &slot->node;
}

// A slot without any heap call: from the first open chunk, else from a chunk kept aside when
// the next chunk would have the smallest size. nullptr when only the heap can help.
inline EventNode* event_pool_take(EventPool* pool) {
  EventChunk* chunk = pool->open_chunks;
  if (!chunk) {
    chunk = pool->spare_chunks;
    if (!chunk || event_pool_next_chunk_size(pool) != pool->min_chunk) return nullptr;
    pool->spare_chunks = chunk->next;
    --pool->spare_count;
    return event_pool_start_chunk(pool, chunk, pool->min_chunk);
  }
  EventNode* node = chunk->free_list;
  if (node) {
    // A returned slot still holds its back link.
    chunk->free_list = node->next;
  } else {
    EventSlot* slot = event_slot_at(chunk, chunk->used_top++);
    slot->chunk = chunk;
    node = &slot->node;
  }
  if (--chunk->slots_left == 0) {
    event_chunk_unlink(&pool->open_chunks, chunk);
    event_chunk_push_front(&pool->full_chunks, chunk);
  }
  return node;
}

// Gives a slot back without any heap call. A chunk that was full reopens; a chunk whose every
// handed-out slot is back leaves the pool, kept aside when it has the smallest size and there
// is room. Returns a chunk that left the pool and must go back to the heap, else nullptr.
inline EventChunk* event_pool_give(EventPool* pool, EventNode* node) {
  EventChunk* chunk = event_slot_of(node)->chunk;
  node->next = chunk->free_list;
  chunk->free_list = node;
  const int32_t left = ++chunk->slots_left;
  if (left == chunk->slot_total) {
    event_chunk_unlink(left == 1 ? &pool->full_chunks : &pool->open_chunks, chunk);
    pool->total_slots -= left;
    if (left != pool->min_chunk || pool->spare_count == kEventSpareChunks) return chunk;
    chunk->next = pool->spare_chunks;
    pool->spare_chunks = chunk;
    ++pool->spare_count;
  } else if (left == 1) {
    event_chunk_unlink(&pool->full_chunks, chunk);
    event_chunk_push_front(&pool->open_chunks, chunk);
  }
  return nullptr;
}

inline EventNode* event_pool_alloc(EventPool* pool) {
  if (EventNode* node = event_pool_take(pool)) return node;
  return event_pool_alloc_new_chunk(pool);
}

inline void event_pool_free(EventPool* pool, EventNode* node) {
  if (!node) return;
  if (EventChunk* chunk = event_pool_give(pool, node)) pool->heap.release(chunk);
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
