// Chunked slot allocator for event nodes: the pool's creation and end, and new chunks from the
// heap (taking and giving back slots is inline in event_pool.h).
#include "ui/window/event_pool.h"

#include "runtime/runtime.h"

namespace {

constexpr int32_t kMinChunk = 16;
constexpr int32_t kMaxChunk = 256;

const EventPoolHeap kMainHeap = {heap_alloc, heap_free};

int32_t list_length(const EventChunk* chunk) {
  int32_t n = 0;
  for (; chunk; chunk = chunk->next) ++n;
  return n;
}

void free_chunks(EventPool* pool, EventChunk* chunk) {
  while (chunk) {
    EventChunk* next = chunk->next;
    pool->heap.release(chunk);
    chunk = next;
  }
}

}  // namespace

EventPool* event_pool_create(const EventPoolHeap* heap) {
  if (!heap) heap = &kMainHeap;
  auto* pool = static_cast<EventPool*>(heap->allocate(sizeof(EventPool)));
  if (!pool) return nullptr;
  pool->full_chunks = pool->open_chunks = nullptr;
  pool->total_slots = 0;
  pool->slot_size = static_cast<int32_t>(kEventSlotSize);
  pool->min_chunk = kMinChunk;
  pool->max_chunk = kMaxChunk;
  pool->heap = *heap;
  pool->spare_chunks = nullptr;
  pool->spare_count = 0;
  return pool;
}

void event_pool_destroy(EventPool* pool) {
  if (!pool) return;
  free_chunks(pool, pool->full_chunks);
  free_chunks(pool, pool->open_chunks);
  free_chunks(pool, pool->spare_chunks);
  pool->heap.release(pool);
}

// No slot without the heap: a new chunk of the next size, or of one slot when the heap cannot
// give that much.
EventNode* event_pool_alloc_new_chunk(EventPool* pool) {
  int32_t count = event_pool_next_chunk_size(pool);
  auto* chunk =
      static_cast<EventChunk*>(pool->heap.allocate(kEventChunkHeaderSize + count * kEventSlotSize));
  if (!chunk) {
    count = 1;
    chunk = static_cast<EventChunk*>(pool->heap.allocate(kEventChunkHeaderSize + kEventSlotSize));
    if (!chunk) return nullptr;
  }
  return event_pool_start_chunk(pool, chunk, count);
}

EventPoolStats event_pool_stats(const EventPool* pool) {
  return {pool->total_slots, list_length(pool->open_chunks), list_length(pool->full_chunks),
          pool->spare_count};
}
