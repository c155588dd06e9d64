// The few platform services the portable runtime code needs; one implementation per platform
// (heap_win.cpp / heap_host.cpp).
#pragma once

#include <cstddef>

namespace rt_platform {

// Thread-local slot holding each thread's per-thread state block.
void tls_alloc();
void* tls_get();
void tls_set(void* value);
size_t tls_teb_offset();  // see rt_detail::g_tls_teb_offset; 0 where not used

// A private heap. create() returns an opaque heap or nullptr.
void* heap_create();
void heap_destroy(void* heap);
void* heap_alloc_zero(void* heap, size_t size);
void* heap_realloc_zero(void* heap, void* block, size_t size);
void heap_free(void* heap, void* block);

}  // namespace rt_platform
