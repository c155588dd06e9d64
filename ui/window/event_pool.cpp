// Chunked slot allocator for event nodes: chunk creation, list moves and freeing (the common
// paths are inline in event_pool.h).
#include "ui/window/event_pool.h"

#include "runtime/runtime.h"

namespace {

constexpr int32_t kMinChunk = 16;
constexpr int32_t kMaxChunk = 256;

const EventPoolHeap kMainHeap = {heap_alloc, heap_free};

void unlink(EventChunk** list, EventChunk* chunk) {
  if (chunk->prev) {
    chunk->prev->next = chunk->next;
  } else {
    *list = chunk->next;
  }
  if (chunk->next) chunk->next->prev = chunk->prev;
  chunk->next = chunk->prev = nullptr;
}

void push_front(EventChunk** list, EventChunk* chunk) {
  chunk->prev = nullptr;
  chunk->next = *list;
  if (*list) (*list)->prev = chunk;
  *list = chunk;
}

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

// No chunk has a free slot: a new one of total/16 slots (a multiple of 16, from 16 to 256), or
// of one slot when the heap cannot give that much. A kept-aside chunk serves when the size is
// the smallest; its header is set up afresh and its slots are handed out as never used.
EventNode* event_pool_alloc_new_chunk(EventPool* pool) {
  int32_t count = pool->total_slots / 16 / 16 * 16;
  if (count < pool->min_chunk) count = pool->min_chunk;
  if (count > pool->max_chunk) count = pool->max_chunk;
  EventChunk* chunk = nullptr;
  if (count == pool->min_chunk && pool->spare_chunks) {
    chunk = pool->spare_chunks;
    pool->spare_chunks = chunk->next;
    --pool->spare_count;
  } else {
    chunk = static_cast<EventChunk*>(
        pool->heap.allocate(kEventChunkHeaderSize + count * kEventSlotSize));
  }
  if (!chunk) {
    count = 1;
    chunk = static_cast<EventChunk*>(pool->heap.allocate(kEventChunkHeaderSize + kEventSlotSize));
    if (!chunk) return nullptr;
  }
  chunk->slot_total = count;
  chunk->used_top = 1;
  chunk->slots_left = count - 1;
  chunk->free_list = nullptr;
  pool->total_slots += count;
  push_front(count > 1 ? &pool->open_chunks : &pool->full_chunks, chunk);
  EventSlot* slot = event_slot_at(chunk, 0);
  slot->chunk = chunk;
  return &slot->node;
}

void event_pool_chunk_filled(EventPool* pool, EventChunk* chunk) {
  unlink(&pool->open_chunks, chunk);
  push_front(&pool->full_chunks, chunk);
}

// A slot came back to a chunk that was full, or the last slot it handed out came back (both at
// once for a chunk of one slot).
void event_pool_chunk_changed(EventPool* pool, EventChunk* chunk) {
  const bool was_full = chunk->slots_left == 1;
  if (chunk->slots_left == chunk->slot_total) {
    // Every slot this chunk handed out is back: it leaves the pool, kept aside for the next new
    // chunk when it has the smallest size and there is room, else given to the heap.
    unlink(was_full ? &pool->full_chunks : &pool->open_chunks, chunk);
    pool->total_slots -= chunk->slot_total;
    if (chunk->slot_total == pool->min_chunk && pool->spare_count < kEventSpareChunks) {
      chunk->next = pool->spare_chunks;
      pool->spare_chunks = chunk;
      ++pool->spare_count;
    } else {
      pool->heap.release(chunk);
    }
  } else {
    unlink(&pool->full_chunks, chunk);
    push_front(&pool->open_chunks, chunk);
  }
}

EventPoolStats event_pool_stats(const EventPool* pool) {
  return {pool->total_slots, list_length(pool->open_chunks), list_length(pool->full_chunks),
          pool->spare_count};
}
