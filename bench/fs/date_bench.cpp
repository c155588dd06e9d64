// date_format of the two backup masks: calls per second.
#include <chrono>
#include <cstdio>

#include "date/date.h"

int main() {
  const DateValue date = date_make(2012, 12, 24, 18, 5, 9);
  constexpr int kCalls = 1000000;
  size_t bytes = 0;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kCalls; ++i) {
    bytes += date_format("%dd_%mm_%yyyy_", date + i).size();
    bytes += date_format("%hh_%ii_%ss", date + i).size();
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("date_format, backup masks: %.0f calls per second (%d calls, %zu bytes)\n",
              2.0 * kCalls / seconds, 2 * kCalls, bytes);
  std::printf("BENCH|date_format, backup masks|%.0f|calls/s|-|-|-\n", 2.0 * kCalls / seconds);
  return bytes == 0;
}
