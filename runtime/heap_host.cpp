// Host stand-in for the heaps and the thread-local slot: the C heap and a thread-local pointer.
// Each block carries its size in front so that reallocation can zero the grown part.
#include <cstdlib>
#include <cstring>

#include "runtime/platform.h"
#include "runtime/registry.h"

__thread void* rt_detail::t_thread_block = nullptr;

namespace rt_platform {
namespace {
int g_heap_token = 0;
constexpr size_t kHeader = 16;
}  // namespace

void tls_alloc() {}
void* tls_get() { return rt_detail::t_thread_block; }
void tls_set(void* value) { rt_detail::t_thread_block = value; }

size_t tls_teb_offset() { return 0; }

void* heap_create() { return &g_heap_token; }
void heap_destroy(void*) {}
void* heap_alloc_zero(void*, size_t size) {
  auto* p = static_cast<unsigned char*>(std::calloc(1, size + kHeader));
  if (!p) return nullptr;
  std::memcpy(p, &size, sizeof size);
  return p + kHeader;
}
void* heap_realloc_zero(void*, void* block, size_t size) {
  auto* base = static_cast<unsigned char*>(block) - kHeader;
  size_t old = 0;
  std::memcpy(&old, base, sizeof old);
  auto* p = static_cast<unsigned char*>(std::realloc(base, size + kHeader));
  if (!p) return nullptr;
  if (size > old) std::memset(p + kHeader + old, 0, size - old);
  std::memcpy(p, &size, sizeof size);
  return p + kHeader;
}
void heap_free(void*, void* block) {
  if (block) std::free(static_cast<unsigned char*>(block) - kHeader);
}

}  // namespace rt_platform
