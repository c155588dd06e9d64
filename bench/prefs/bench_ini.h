// The benchmark's preference file: about 10 MiB, 200,000 keys in 2,000 groups, with a comment
// per group, and the lookups to time in a scattered order.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace bench {

constexpr int kGroups = 2000;
constexpr int kKeysPerGroup = 100;

inline std::string group_name(int g) { return "Gruppe " + std::to_string(g); }
inline std::string key_name(int k) { return "schluessel_" + std::to_string(k); }
inline std::string value_of(int g, int k) {
  char text[96];
  std::snprintf(text, sizeof text, "C:\\Spiel\\Ordner_%04d\\d_%03d.jar", g, k);
  return text;
}

inline std::string make_text() {
  std::string text;
  text.reserve(11u << 20);
  text += "Version = 1.1\r\n";
  for (int g = 0; g < kGroups; ++g) {
    text += "; Abschnitt " + std::to_string(g) + "\r\n[" + group_name(g) + "]\r\n";
    for (int k = 0; k < kKeysPerGroup; ++k) text += key_name(k) + " = " + value_of(g, k) + "\r\n";
  }
  return text;
}

struct Lookup {
  int group;
  int key;
};

// Every (group, key) pair once, in a fixed scattered order.
inline std::vector<Lookup> all_lookups() {
  std::vector<Lookup> order;
  order.reserve(kGroups * kKeysPerGroup);
  for (int g = 0; g < kGroups; ++g) {
    for (int k = 0; k < kKeysPerGroup; ++k) order.push_back({g, k});
  }
  uint32_t state = 2463534242u;
  for (size_t i = order.size() - 1; i > 0; --i) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    std::swap(order[i], order[state % (i + 1)]);
  }
  return order;
}

// One timing of fn(), in milliseconds.
template <typename Fn>
double time_ms(Fn&& fn) {
  auto start = std::chrono::steady_clock::now();
  fn();
  std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
  return took.count();
}

// The median of the timings (an odd count gives the middle one).
inline double median(std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  size_t n = ms.size();
  if (n == 0) return 0;
  return n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
}

// Best of `runs` timings of fn(), in milliseconds.
template <typename Fn>
double best_ms(int runs, Fn&& fn) {
  double best = 1e300;
  for (int i = 0; i < runs; ++i) {
    double took = time_ms(fn);
    if (took < best) best = took;
  }
  return best;
}

// Median of `runs` timings of fn(), in milliseconds.
template <typename Fn>
double median_ms(int runs, Fn&& fn) {
  std::vector<double> ms;
  for (int i = 0; i < runs; ++i) ms.push_back(time_ms(fn));
  return median(ms);
}

}  // namespace bench
