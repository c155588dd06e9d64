// libFuzzer target for date_format and date_make: the input's first four bytes are a date
// value, the rest is the mask. Checks the output against a plain reference formatter and the
// fields against the value they came from.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "date/date.h"

namespace {

std::string two(int32_t v) {
  char b[16];
  std::snprintf(b, sizeof b, "%02d", static_cast<int>(v));
  return b;
}

bool token_at(const std::string& s, size_t at, const char* token) {
  const size_t n = std::strlen(token);
  if (s.size() - at < n) return false;
  for (size_t i = 0; i < n; ++i) {
    char c = s[at + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    if (c != token[i]) return false;
  }
  return true;
}

std::string reference(const std::string& mask, DateValue d) {
  const int32_t year = date_year(d);
  char y4[16];
  std::snprintf(y4, sizeof y4, "%04d", static_cast<int>(year));
  const struct {
    const char* token;
    std::string text;
  } tokens[] = {{"yyyy", y4},
                {"yy", two(year % 100)},
                {"mm", two(date_month(d))},
                {"dd", two(date_day(d))},
                {"hh", two(date_hour(d))},
                {"ii", two(date_minute(d))},
                {"ss", two(date_second(d))}};
  std::string out;
  for (size_t i = 0; i < mask.size();) {
    if (mask[i] != '%') {
      out += mask[i++];
      continue;
    }
    bool matched = false;
    for (const auto& t : tokens) {
      if (token_at(mask, i + 1, t.token)) {
        out += t.text;
        i += 1 + std::strlen(t.token);
        matched = true;
        break;
      }
    }
    if (!matched) out += mask[i++];
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  int32_t value;
  std::memcpy(&value, data, 4);
  // The mask ends at the first zero byte, as a C string does.
  std::string mask(reinterpret_cast<const char*>(data + 4), size - 4);
  mask.resize(std::strlen(mask.c_str()));

  const std::string out = date_format(mask.c_str(), value);
  if (out != reference(mask, value)) std::abort();

  if (value >= 0) {
    const DateValue back = date_make(date_year(value), date_month(value), date_day(value),
                                     date_hour(value), date_minute(value), date_second(value));
    if (back != value) std::abort();
  }
  if (size >= 28) {
    int32_t f[6];
    std::memcpy(f, data + 4, sizeof f);
    const DateValue made = date_make(f[0], f[1], f[2], f[3], f[4], f[5]);
    if (made < -1) std::abort();
    if (made >= 0 &&
        (date_year(made) != f[0] || date_month(made) != f[1] || date_day(made) != f[2] ||
         date_hour(made) != f[3] || date_minute(made) != f[4] || date_second(made) != f[5])) {
      std::abort();
    }
  }
  return 0;
}
