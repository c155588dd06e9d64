// Chunked slot allocator for event nodes (see event_pool.h).
#include "ui/window/event_pool.h"

#include <cstring>

#include "runtime/runtime.h"

namespace {

constexpr int32_t kMinChunk = 16;
constexpr int32_t kMaxChunk = 256;

struct Chunk {
  Chunk* next;
  Chunk* prev;
  EventNode* free_list;   // returned slots, linked through EventNode::next
  int32_t slot_total;
  int32_t used_top;       // slots handed out from the never-used part
  int32_t free_count;     // slots on free_list
};

// A slot is a back link to its chunk followed by the node.
struct Slot {
  Chunk* chunk;
  EventNode node;
};

constexpr size_t round_up(size_t value, size_t step) { return (value + step - 1) / step * step; }

constexpr size_t kSlotSize = round_up(sizeof(Slot), alignof(Slot) < 4 ? 4 : alignof(Slot));
constexpr size_t kHeaderSize = round_up(sizeof(Chunk), alignof(Slot));

const EventPoolHeap kMainHeap = {heap_alloc, heap_free};

}  // namespace

struct EventPool {
  Chunk* full_chunks;
  Chunk* open_chunks;
  int32_t total_slots;
  int32_t slot_size;
  int32_t min_chunk;
  int32_t max_chunk;
  EventPoolHeap heap;
};

namespace {

Slot* slot_at(Chunk* chunk, int32_t index) {
  auto* base = reinterpret_cast<unsigned char*>(chunk) + kHeaderSize;
  return reinterpret_cast<Slot*>(base + static_cast<size_t>(index) * kSlotSize);
}

Slot* slot_of(EventNode* node) {
  return reinterpret_cast<Slot*>(reinterpret_cast<unsigned char*>(node) - offsetof(Slot, node));
}

void unlink(Chunk** list, Chunk* chunk) {
  if (chunk->prev) {
    chunk->prev->next = chunk->next;
  } else {
    *list = chunk->next;
  }
  if (chunk->next) chunk->next->prev = chunk->prev;
  chunk->next = chunk->prev = nullptr;
}

void push_front(Chunk** list, Chunk* chunk) {
  chunk->prev = nullptr;
  chunk->next = *list;
  if (*list) (*list)->prev = chunk;
  *list = chunk;
}

bool chunk_full(const Chunk* chunk) {
  return chunk->free_count == 0 && chunk->used_top == chunk->slot_total;
}

Chunk* new_chunk(EventPool* pool) {
  int32_t count = pool->total_slots / 16 / 16 * 16;
  if (count < pool->min_chunk) count = pool->min_chunk;
  if (count > pool->max_chunk) count = pool->max_chunk;
  auto* chunk = static_cast<Chunk*>(pool->heap.allocate(kHeaderSize + count * kSlotSize));
  if (!chunk) {
    count = 1;
    chunk = static_cast<Chunk*>(pool->heap.allocate(kHeaderSize + kSlotSize));
    if (!chunk) return nullptr;
  }
  chunk->slot_total = count;
  chunk->used_top = 1;
  chunk->free_count = 0;
  chunk->free_list = nullptr;
  pool->total_slots += count;
  push_front(count > 1 ? &pool->open_chunks : &pool->full_chunks, chunk);
  return chunk;
}

int32_t list_length(const Chunk* chunk) {
  int32_t n = 0;
  for (; chunk; chunk = chunk->next) ++n;
  return n;
}

void free_list(EventPool* pool, Chunk* chunk) {
  while (chunk) {
    Chunk* next = chunk->next;
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
  pool->slot_size = static_cast<int32_t>(kSlotSize);
  pool->min_chunk = kMinChunk;
  pool->max_chunk = kMaxChunk;
  pool->heap = *heap;
  return pool;
}

void event_pool_destroy(EventPool* pool) {
  if (!pool) return;
  free_list(pool, pool->full_chunks);
  free_list(pool, pool->open_chunks);
  pool->heap.release(pool);
}

EventNode* event_pool_alloc(EventPool* pool) {
  Slot* slot;
  Chunk* chunk = pool->open_chunks;
  if (chunk) {
    if (chunk->free_count > 0) {
      slot = slot_of(chunk->free_list);
      chunk->free_list = chunk->free_list->next;
      --chunk->free_count;
    } else {
      slot = slot_at(chunk, chunk->used_top++);
    }
    if (chunk_full(chunk)) {
      unlink(&pool->open_chunks, chunk);
      push_front(&pool->full_chunks, chunk);
    }
  } else {
    chunk = new_chunk(pool);
    if (!chunk) return nullptr;
    slot = slot_at(chunk, 0);
  }
  slot->chunk = chunk;
  return &slot->node;
}

void event_pool_free(EventPool* pool, EventNode* node) {
  if (!node) return;
  Chunk* chunk = slot_of(node)->chunk;
  node->next = chunk->free_list;
  chunk->free_list = node;
  ++chunk->free_count;
  // The chunk was on the full list if this was its only free slot and it had none unused.
  bool was_full = chunk->free_count == 1 && chunk->used_top == chunk->slot_total;
  if (chunk->free_count == chunk->used_top) {
    // Every slot this chunk handed out is back: give it to the heap.
    unlink(was_full ? &pool->full_chunks : &pool->open_chunks, chunk);
    pool->total_slots -= chunk->slot_total;
    pool->heap.release(chunk);
  } else if (was_full) {
    unlink(&pool->full_chunks, chunk);
    push_front(&pool->open_chunks, chunk);
  }
}

EventPoolStats event_pool_stats(const EventPool* pool) {
  return {pool->total_slots, list_length(pool->open_chunks), list_length(pool->full_chunks)};
}
