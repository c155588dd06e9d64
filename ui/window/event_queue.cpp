// The per-thread event queue: a singly linked list of pool nodes with head and tail.
#include <cstddef>

#include "runtime/registry.h"
#include "ui/window/event_pool.h"
#include "ui/window/window.h"

namespace {

struct EventQueue {
  EventPool* pool;
  EventNode* head;
  EventNode* tail;
  EventNode* pinned;  // taken at init and never given back: keeps the first chunk alive
};

bool g_registered = false;
size_t g_queue_offset = 0;

void release_data(void* data, EventDataRelease release) {
  if (data && release) release(data);
}

void queue_init(void* slice) {
  auto* queue = static_cast<EventQueue*>(slice);
  queue->pool = event_pool_create();
  if (queue->pool) queue->pinned = event_pool_alloc(queue->pool);
}

void queue_cleanup(void* slice) {
  auto* queue = static_cast<EventQueue*>(slice);
  for (EventNode* node = queue->head; node; node = node->next) {
    release_data(node->data, node->data_release);
  }
  event_pool_destroy(queue->pool);
  *queue = EventQueue{};
}

// The calling thread's queue, or nullptr when the library is not started or has no pool.
EventQueue* this_queue() {
  if (!g_registered) return nullptr;
  auto* queue = static_cast<EventQueue*>(thread_state_get(g_queue_offset));
  return queue && queue->pool ? queue : nullptr;
}

// The calling thread's queue when it can be had without a call, else nullptr.
EventQueue* this_queue_quick() {
  if (!g_registered) return nullptr;
  auto* queue = static_cast<EventQueue*>(thread_state_peek(g_queue_offset));
  return queue && queue->pool ? queue : nullptr;
}

bool folds_into(const EventNode* tail, int32_t event, intptr_t object, intptr_t window,
                int32_t type) {
  return tail && tail->event == event && tail->object == object && tail->window == window &&
         tail->type == type;
}

// Links node after tail, the queue's last node (nullptr when it is empty).
void append(EventQueue* queue, EventNode* tail, EventNode* node) {
  if (tail) {
    tail->next = node;
  } else {
    queue->head = node;
  }
  queue->tail = node;
}

// The whole post. event_post keeps the common case free of calls and leaves the rest here: the
// thread's first lookup, folding (which may release data), and a new chunk from the heap. Kept
// out of line so that the common case needs no saved registers.
[[gnu::noinline]] void post_fully(int32_t event, intptr_t object, intptr_t window, int32_t type,
                                  void* data, EventDataRelease data_release) {
  EventQueue* queue = this_queue();
  if (!queue) {
    release_data(data, data_release);
    return;
  }
  EventNode* tail = queue->tail;
  if (folds_into(tail, event, object, window, type)) {
    // Folded into the identical event queued last; its own data is kept.
    if (data != tail->data) release_data(data, data_release);
    return;
  }
  EventNode* node = event_pool_alloc(queue->pool);
  if (!node) {
    release_data(data, data_release);
    return;
  }
  *node = EventNode{nullptr, event, object, window, type, data, data_release};
  append(queue, tail, node);
}

// The whole pop (see post_fully): the thread's first lookup, and data that nobody takes over.
[[gnu::noinline]] int32_t pop_fully(intptr_t* object, intptr_t* window, int32_t* type, void** data,
                                    EventDataRelease* data_release) {
  EventQueue* queue = this_queue();
  if (!queue || !queue->head) return 0;
  EventNode* node = queue->head;
  if (object) *object = node->object;
  if (window) *window = node->window;
  if (type) *type = node->type;
  if (data) *data = node->data;
  if (data_release) *data_release = node->data_release;
  if (!data) release_data(node->data, node->data_release);  // nobody takes it over
  queue->head = node->next;
  if (!queue->head) queue->tail = nullptr;
  int32_t event = node->event;
  event_pool_free(queue->pool, node);
  return event;
}

// The end of a pop whose node emptied a chunk that goes back to the heap.
[[gnu::noinline]] int32_t release_chunk(EventPool* pool, EventChunk* chunk, int32_t event) {
  pool->heap.release(chunk);
  return event;
}

bool matches(intptr_t value, intptr_t wanted) { return wanted == -1 || value == wanted; }

// Unlinks and frees every node for which remove() is true, keeping the others in order.
template <typename Pred>
void remove_nodes(EventQueue* queue, Pred remove) {
  EventNode* kept_tail = nullptr;
  EventNode** link = &queue->head;
  while (EventNode* node = *link) {
    if (remove(node)) {
      *link = node->next;
      release_data(node->data, node->data_release);
      event_pool_free(queue->pool, node);
    } else {
      kept_tail = node;
      link = &node->next;
    }
  }
  queue->tail = kept_tail;
}

}  // namespace

void events_init() {
  if (g_registered) return;
  g_queue_offset = thread_state_register(sizeof(EventQueue), queue_init, queue_cleanup);
  g_registered = true;
}

void event_post(int32_t event, intptr_t object, intptr_t window, int32_t type, void* data,
                EventDataRelease data_release) {
  if (EventQueue* queue = this_queue_quick()) {
    EventNode* tail = queue->tail;
    if (!folds_into(tail, event, object, window, type)) {
      if (EventNode* node = event_pool_take(queue->pool)) {
        *node = EventNode{nullptr, event, object, window, type, data, data_release};
        append(queue, tail, node);
        return;
      }
    }
  }
  post_fully(event, object, window, type, data, data_release);
}

int32_t event_pop(intptr_t* object, intptr_t* window, int32_t* type, void** data,
                  EventDataRelease* data_release) {
  if (EventQueue* queue = this_queue_quick()) {
    EventNode* node = queue->head;
    if (!node) return 0;
    // Data left behind must be released (a call): that case goes the whole way.
    if (data || !node->data || !node->data_release) {
      if (object) *object = node->object;
      if (window) *window = node->window;
      if (type) *type = node->type;
      if (data) *data = node->data;
      if (data_release) *data_release = node->data_release;
      queue->head = node->next;
      if (!queue->head) queue->tail = nullptr;
      const int32_t event = node->event;
      if (EventChunk* chunk = event_pool_give(queue->pool, node)) {
        return release_chunk(queue->pool, chunk, event);
      }
      return event;
    }
  }
  return pop_fully(object, window, type, data, data_release);
}

void event_purge(int32_t event, intptr_t object, intptr_t window, int32_t type) {
  EventQueue* queue = this_queue();
  if (!queue) return;
  remove_nodes(queue, [&](const EventNode* node) {
    return matches(node->event, event) && matches(node->object, object) &&
           matches(node->window, window) && matches(node->type, type);
  });
}

void event_purge_window(intptr_t window) {
  EventQueue* queue = this_queue();
  if (!queue) return;
  remove_nodes(queue, [&](const EventNode* node) { return node->window == window; });
}

int32_t event_queue_length() {
  EventQueue* queue = this_queue();
  int32_t n = 0;
  if (queue) {
    for (const EventNode* node = queue->head; node; node = node->next) ++n;
  }
  return n;
}

EventPool* event_queue_pool() {
  EventQueue* queue = this_queue();
  return queue ? queue->pool : nullptr;
}
