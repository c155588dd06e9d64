// Text helpers of the preference files: letter-case folding of A-Z, and the two conversions
// between 8-bit text and UTF-8 that read each byte as the code point of the same number.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

inline unsigned char ascii_lower(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// Equal when only the letter case of A-Z differs; all other bytes must match.
bool ascii_iequal(const char* a, const char* b);
// Hash of the text with A-Z folded to lower case.
uint32_t ascii_ihash(const char* text);

// Bytes that latin1_to_utf8 writes for n input bytes (no terminator).
size_t utf8_length_of_latin1(const char* in, size_t n);
// Writes the UTF-8 form of n bytes to out (room for utf8_length_of_latin1 + 1 bytes) followed by
// a zero byte; returns the length written without the zero.
size_t latin1_to_utf8(const char* in, size_t n, char* out);
// Appends the 8-bit form of n bytes of UTF-8 to out. Characters above U+00FF and malformed
// sequences become "?"; sequences cut off by the end of the input, stray continuation bytes and
// the bytes F8 to FF are dropped. Never reads beyond in[n - 1].
void utf8_to_latin1(const char* in, size_t n, std::string& out);

// Heap copy of the text (main heap), converted to UTF-8 when `utf8` is set; nullptr when out of
// memory.
char* heap_copy_for_file(const char* text, bool utf8);
