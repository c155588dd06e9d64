// Shared by the application's benchmarks: paths of the programs, timing, files and the
// scratch layouts they run in. Windows / Wine only.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

// A Unix path of the build tree as Wine's drive Z: path.
inline std::string windows_path(const char* unix_path) {
  std::string path = std::string("Z:") + unix_path;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

inline double now_ms() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

inline double best(const std::vector<double>& values) {
  return values.empty() ? 0.0 : *std::min_element(values.begin(), values.end());
}

inline double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0.0 : values[values.size() / 2];
}

inline bool write_file(const std::string& path, const std::string& content) {
  const HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok =
      content.empty() ||
      WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(h);
  return ok && written == content.size();
}

inline std::string current_folder() {
  char buffer[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, buffer);
  std::string folder = buffer;
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return folder;
}

// One line of the benchmark table (see scripts/bench.sh).
inline void report(const std::string& figure, double ours, const char* unit, const char* floor_name,
                   double floor, const char* target) {
  std::printf("BENCH|%s|%.2f|%s|%s|%.2f|%s\n", figure.c_str(), ours, unit, floor_name, floor,
              target);
  std::fflush(stdout);
}

}  // namespace bench
