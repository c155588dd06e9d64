// Win32 side of the runtime's heaps and thread-local slot.
#include <windows.h>

#include "runtime/platform.h"

namespace rt_platform {
namespace {
DWORD g_tls_index = TLS_OUT_OF_INDEXES;
}

void tls_alloc() {
  if (g_tls_index == TLS_OUT_OF_INDEXES) g_tls_index = TlsAlloc();
}
void* tls_get() { return g_tls_index == TLS_OUT_OF_INDEXES ? nullptr : TlsGetValue(g_tls_index); }
void tls_set(void* value) {
  if (g_tls_index != TLS_OUT_OF_INDEXES) TlsSetValue(g_tls_index, value);
}

size_t tls_teb_offset() {
#if defined(__i386__)
  if (g_tls_index < 64) return 0xE10 + g_tls_index * sizeof(void*);
#elif defined(__x86_64__)
  if (g_tls_index < 64) return 0x1480 + g_tls_index * sizeof(void*);
#endif
  return 0;
}

void* heap_create() { return HeapCreate(0, 4096, 0); }
void heap_destroy(void* heap) {
  if (heap) HeapDestroy(static_cast<HANDLE>(heap));
}
void* heap_alloc_zero(void* heap, size_t size) {
  return HeapAlloc(static_cast<HANDLE>(heap), HEAP_ZERO_MEMORY, size ? size : 1);
}
void* heap_realloc_zero(void* heap, void* block, size_t size) {
  return HeapReAlloc(static_cast<HANDLE>(heap), HEAP_ZERO_MEMORY, block, size ? size : 1);
}
void heap_free(void* heap, void* block) {
  if (block) HeapFree(static_cast<HANDLE>(heap), 0, block);
}

}  // namespace rt_platform
