// Fuzz target: the conversions. UTF-8 to 8-bit must stay inside the input and never grow it;
// 8-bit to UTF-8 and back must give the input again.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "prefs/prefs_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  const char* data = reinterpret_cast<const char*>(bytes);
  std::string narrow;
  utf8_to_latin1(data, size, narrow);
  if (narrow.size() > size) {
    std::fprintf(stderr, "conversion grew the text\n");
    std::abort();
  }

  std::vector<char> wide(utf8_length_of_latin1(data, size) + 1);
  size_t n = latin1_to_utf8(data, size, wide.data());
  if (n + 1 != wide.size() || wide[n] != 0) std::abort();
  std::string back;
  utf8_to_latin1(wide.data(), n, back);
  if (back != std::string(data, size)) {
    std::fprintf(stderr, "8-bit text did not survive the round trip\n");
    std::abort();
  }
  return 0;
}
