#include "prefs/prefs_text.h"

#include <cstring>

#include "runtime/runtime.h"

namespace {

bool is_continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

bool ascii_iequal(const char* a, const char* b) {
  auto* x = reinterpret_cast<const unsigned char*>(a);
  auto* y = reinterpret_cast<const unsigned char*>(b);
  for (;; ++x, ++y) {
    if (*x != *y && ascii_lower(*x) != ascii_lower(*y)) return false;
    if (*x == 0) return true;
  }
}

uint32_t ascii_ihash(const char* text) {
  uint32_t h = 2166136261u;  // FNV-1a
  for (auto* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
    h = (h ^ ascii_lower(*p)) * 16777619u;
  }
  return h;
}

size_t utf8_length_of_latin1(const char* in, size_t n) {
  size_t length = n;
  for (size_t i = 0; i < n; ++i) {
    if (static_cast<unsigned char>(in[i]) >= 0x80) ++length;
  }
  return length;
}

size_t latin1_to_utf8(const char* in, size_t n, char* out) {
  size_t o = 0;
  for (size_t i = 0; i < n; ++i) {
    auto b = static_cast<unsigned char>(in[i]);
    if (b < 0x80) {
      out[o++] = static_cast<char>(b);
    } else {
      out[o++] = static_cast<char>(0xC0 + (b >> 6));
      out[o++] = static_cast<char>(0x80 + (b & 0x3F));
    }
  }
  out[o] = 0;
  return o;
}

void utf8_to_latin1(const char* in, size_t n, std::string& out) {
  auto* s = reinterpret_cast<const unsigned char*>(in);
  size_t i = 0;
  while (i < n) {
    unsigned char b = s[i];
    if (b < 0x80) {
      // Runs of plain ASCII are copied in one go.
      size_t j = i + 1;
      while (j < n && s[j] < 0x80) ++j;
      out.append(in + i, j - i);
      i = j;
    } else if (b < 0xC0 || b >= 0xF8) {
      ++i;  // stray continuation byte, or F8..FF: dropped
    } else if (b < 0xE0) {
      if (i + 2 > n) break;  // cut off by the end: dropped
      unsigned char c = s[i + 1];
      if (!is_continuation(c)) {
        out += '?';
        i += 1;  // the following byte is read on its own
        continue;
      }
      unsigned code = ((b & 0x1Fu) << 6) | (c & 0x3Fu);
      // C0 and C1 leads are overlong forms of ASCII (C0 80 would even give a zero byte inside
      // the text): invalid, like any other malformed sequence.
      out += (code >= 0x80 && code < 0x100) ? static_cast<char>(code) : '?';
      i += 2;
    } else {
      size_t tail = b < 0xF0 ? 2 : 3;
      if (i + 1 + tail > n) {
        ++i;  // cut off by the end: the lead is dropped, its continuation bytes are stray
        continue;
      }
      out += '?';
      ++i;
      for (size_t k = 0; k < tail && is_continuation(s[i]); ++k) ++i;
    }
  }
}

char* heap_copy_for_file(const char* text, bool utf8) {
  if (!text) text = "";
  size_t n = std::strlen(text);
  size_t length = utf8 ? utf8_length_of_latin1(text, n) : n;
  auto* copy = static_cast<char*>(heap_alloc(length + 1));
  if (!copy) return nullptr;
  if (utf8) {
    latin1_to_utf8(text, n, copy);
  } else {
    std::memcpy(copy, text, n + 1);
  }
  return copy;
}
