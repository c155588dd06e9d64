// The main-heap functions the preference code uses, on the C heap, so that the benchmark runs
// without the sanitizers that instrument the host build's runtime library.
#include <cstdlib>
#include <cstring>

#include "runtime/runtime.h"

void* heap_alloc(size_t size) { return std::calloc(1, size ? size : 1); }
void heap_free(void* block) { std::free(block); }
char* heap_strdup(const char* text) {
  if (!text) text = "";
  size_t n = std::strlen(text) + 1;
  auto* copy = static_cast<char*>(std::malloc(n));
  if (copy) std::memcpy(copy, text, n);
  return copy;
}
