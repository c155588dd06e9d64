// Fixed-size block allocator for queued events, private to one thread (no lock).
//
// Slots are handed out from chunks of 16 to 256 slots (the chunk size grows with the pool:
// total slots / 16, cut to a multiple of 16). Freed slots go onto their chunk's free list and
// are reused; a chunk is given back to the heap once every slot it ever handed out is back.
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

struct EventPool;

// Heap used for the pool's chunks. Defaults to the runtime's main heap; tests may swap it to
// simulate exhaustion.
struct EventPoolHeap {
  void* (*allocate)(size_t size);   // zero-filled block or nullptr
  void (*release)(void* block);
};

EventPool* event_pool_create(const EventPoolHeap* heap = nullptr);  // nullptr when out of memory
void event_pool_destroy(EventPool* pool);                           // frees every chunk
EventNode* event_pool_alloc(EventPool* pool);                       // nullptr when out of memory
void event_pool_free(EventPool* pool, EventNode* node);

struct EventPoolStats {
  int32_t total_slots;   // slots in all chunks
  int32_t open_chunks;   // chunks with a free slot
  int32_t full_chunks;   // chunks without one
};
EventPoolStats event_pool_stats(const EventPool* pool);

// The calling thread's queue pool (tests).
EventPool* event_queue_pool();
