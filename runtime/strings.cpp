// The main heap, the string heap and the array operations.
#include <cstring>

#include "runtime/platform.h"
#include "runtime/runtime.h"

namespace {

void* g_main_heap = nullptr;
void* g_string_heap = nullptr;
const ArrayOps* g_array_ops = nullptr;

// The program is a 32-bit process, which can never hold a block of 2 GiB or more. Both heaps
// refuse such blocks on every build, so that a 64-bit build and the host build meet the same
// allocation failures as the program.
constexpr size_t kLargestBlock = size_t{0x7FFFFFFF};

// Heaps are created by the start-up sequence; code that runs without it (tests, tools) gets
// them created on first use.
void* main_heap() {
  if (!g_main_heap) g_main_heap = rt_platform::heap_create();
  return g_main_heap;
}

void* string_heap() {
  if (!g_string_heap) g_string_heap = rt_platform::heap_create();
  return g_string_heap;
}

char* dup_into(void* (*alloc)(size_t), const char* text) {
  if (!text) text = "";
  size_t n = std::strlen(text);
  auto* copy = static_cast<char*>(alloc(n + 1));
  if (copy) std::memcpy(copy, text, n + 1);
  return copy;
}

bool array_bytes(size_t count, size_t element_size, size_t* bytes) {
  if (element_size && count > static_cast<size_t>(-1) / element_size) return false;
  *bytes = count * element_size;
  return true;
}

void* array_allocate(size_t count, size_t element_size) {
  size_t bytes;
  return array_bytes(count, element_size, &bytes) ? heap_alloc(bytes) : nullptr;
}

void* array_redimension(void* array, size_t new_count, size_t element_size) {
  size_t bytes;
  if (!array_bytes(new_count, element_size, &bytes)) return nullptr;
  return array ? heap_realloc(array, bytes) : heap_alloc(bytes);
}

const ArrayOps kArrayOps = {array_allocate, array_redimension, heap_free};

}  // namespace

void runtime_main_heap_create() { main_heap(); }

void runtime_main_heap_destroy() {
  rt_platform::heap_destroy(g_main_heap);
  g_main_heap = nullptr;
}

void* heap_alloc(size_t size) {
  void* heap = main_heap();
  return heap && size <= kLargestBlock ? rt_platform::heap_alloc_zero(heap, size) : nullptr;
}

void* heap_realloc(void* block, size_t size) {
  if (!block) return heap_alloc(size);
  return size <= kLargestBlock ? rt_platform::heap_realloc_zero(main_heap(), block, size) : nullptr;
}

void heap_free(void* block) {
  if (block && g_main_heap) rt_platform::heap_free(g_main_heap, block);
}

char* heap_strdup(const char* text) { return dup_into(heap_alloc, text); }

void strings_init() { string_heap(); }

void strings_end() {
  rt_platform::heap_destroy(g_string_heap);
  g_string_heap = nullptr;
}

void* string_heap_alloc(size_t size) {
  void* heap = string_heap();
  return heap && size <= kLargestBlock ? rt_platform::heap_alloc_zero(heap, size) : nullptr;
}

void string_heap_free(void* block) {
  if (block && g_string_heap) rt_platform::heap_free(g_string_heap, block);
}

char* string_heap_strdup(const char* text) { return dup_into(string_heap_alloc, text); }

void arrays_init() { g_array_ops = &kArrayOps; }

const ArrayOps* array_ops() { return g_array_ops; }

void runtime_globals_reset() { g_array_ops = nullptr; }
