// Numbered object registry, per-thread state area and doubly linked lists.
//
// Object numbers: 0 or more are chosen by the caller (slot numbers); -1 asks for an automatic
// number, which object_number_of() tells for a record claimed with -1. Automatic numbers are
// never 0, never -1 and never fall inside the slot range; numbers that a table did not hand out,
// or that were released, are recognised without touching freed memory.
#pragma once

#include <cstddef>
#include <cstdint>

// --- Lists: a head pointer; nodes are a two-word header followed by the payload. Callers
// hold and pass payload pointers. ---
struct ListNode {
  ListNode* next;
  ListNode* prev;
};
struct ListHead {
  ListNode* first = nullptr;
};

void* list_push_front(ListHead* head,
                      size_t payload_size);  // zero-filled; nullptr when out of memory
// Links a new zero-filled node right after `after` (a payload), or first when `after` is nullptr.
void* list_insert_after(ListHead* head, void* after, size_t payload_size);
void list_remove(ListHead* head, void* payload);  // unlinks and frees
void* list_first(const ListHead* head);           // payload of the first node or nullptr
void* list_last(const ListHead* head);
void* list_next(void* payload);
void* list_prev(void* payload);

// --- Object tables. The first 32-bit word of every record is non-zero while the object
// exists. ---
struct ObjectTable;
using ObjectRelease = void (*)(intptr_t number);

ObjectTable* object_table_create(int32_t record_size, int32_t growth_step, ObjectRelease release);
void* object_claim(ObjectTable* table, intptr_t number);   // zero-filled record, nullptr on failure
void* object_find(ObjectTable* table, intptr_t number);    // nullptr unless the object exists
void object_release(ObjectTable* table, intptr_t number);  // number becomes free; no-op when unused
intptr_t object_number_of(ObjectTable* table,
                          const void* record);  // number of a claimed record, -1 if unknown
void object_walk_begin(ObjectTable* table);     // takes the table's lock
void* object_walk_next(ObjectTable* table,
                       intptr_t* number);  // nullptr ends the walk and gives the lock back
void object_release_all(ObjectTable* table);
int32_t object_slot_count(const ObjectTable* table);
void object_table_destroy(ObjectTable* table);  // frees the table itself (tests and shutdown)

// --- Per-thread state area: each library takes a fixed slice of every thread's block. ---
using ThreadStateFn = void (*)(void* slice);
// Start-up only, on the main thread. Returns the slice's offset.
size_t thread_state_register(size_t size, ThreadStateFn init, ThreadStateFn cleanup);
// The calling thread's slice at offset; the thread's first access creates its block.
inline void* thread_state_get(size_t offset);
// The same without any call: nullptr when the slice cannot be read inline (the thread has no
// block yet, or its slot lies beyond the inline ones); thread_state_get then answers.
inline void* thread_state_peek(size_t offset);

namespace rt_detail {
// Windows: byte offset of the thread-local slot inside the thread environment block (the
// TlsSlots array of the first 64 slots lies at 0xE10 in 32-bit and at 0x1480 in 64-bit
// processes), 0 when the slot lies beyond them. Reading it directly keeps the hot path of every
// per-thread lookup free of calls.
extern size_t g_tls_teb_offset;
#if !defined(_WIN32)
// Host builds: the calling thread's block (heap_host.cpp), read inline in the same way.
extern __thread void* t_thread_block;
#endif
void* thread_state_get_slow(size_t offset);
}  // namespace rt_detail

inline void* thread_state_peek(size_t offset) {
#if defined(_WIN32) && defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
  if (size_t at = rt_detail::g_tls_teb_offset) {
    void* block;
#if defined(__i386__)
    __asm__ volatile("movl %%fs:(%1), %0" : "=r"(block) : "r"(at));
#else
    __asm__ volatile("movq %%gs:(%1), %0" : "=r"(block) : "r"(at));
#endif
    if (block) return static_cast<unsigned char*>(block) + offset;
  }
#elif !defined(_WIN32)
  if (void* block = rt_detail::t_thread_block) return static_cast<unsigned char*>(block) + offset;
#else
  (void)offset;
#endif
  return nullptr;
}

inline void* thread_state_get(size_t offset) {
  if (void* slice = thread_state_peek(offset)) return slice;
  return rt_detail::thread_state_get_slow(offset);
}
