// Listing a folder of 100,000 entries through dir_examine / dir_next_entry / dir_entry_name,
// against a bare FindFirstFileA / FindNextFileA loop in the same run (the floor).
// Usage: bench_fs_listing [folder]   (default: a folder under the temporary directory, filled
// once and kept for later runs; scripts/bench.sh makes the folder natively, much faster)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "fs/fs.h"

namespace {

constexpr int kEntries = 100000;
constexpr int kRounds = 7;

double now_ms() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool prepare(const std::string& folder) {
  const std::string ready = folder + "\\.ready";
  if (GetFileAttributesA(ready.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  CreateDirectoryA(folder.c_str(), nullptr);
  std::printf("creating %d files in %s ...\n", kEntries, folder.c_str());
  for (int i = 0; i < kEntries; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "\\entry_%06d.jar", i);
    const HANDLE h = CreateFileA((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
  }
  const HANDLE h = CreateFileA(ready.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

// The floor: every entry's name read straight from the system's record.
size_t bare_loop(const std::string& folder, int* count) {
  WIN32_FIND_DATAA entry;
  size_t bytes = 0;
  *count = 0;
  const HANDLE search = FindFirstFileA((folder + "\\*.jar").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return 0;
  do {
    bytes += std::strlen(entry.cFileName);
    ++*count;
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  return bytes;
}

size_t listing_loop(const std::string& folder, int* count) {
  size_t bytes = 0;
  *count = 0;
  if (dir_examine(0, folder.c_str(), "*.jar") == 0) return 0;
  while (dir_next_entry(0)) {
    bytes += dir_entry_name(0).size();
    ++*count;
  }
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder;
  if (argc > 1) {
    folder = argv[1];
  } else {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    folder = std::string(temp) + "pelmora-bench-listing";
  }
  if (!prepare(folder)) {
    std::printf("cannot prepare %s\n", folder.c_str());
    return 1;
  }

  std::vector<double> bare, ours;
  int bare_count = 0, our_count = 0;
  size_t bare_bytes = 0, our_bytes = 0;
  bare_loop(folder, &bare_count);  // warms the file system's caches for both sides
  for (int round = 0; round < kRounds; ++round) {
    double t = now_ms();
    bare_bytes = bare_loop(folder, &bare_count);
    bare.push_back(now_ms() - t);
    t = now_ms();
    our_bytes = listing_loop(folder, &our_count);
    ours.push_back(now_ms() - t);
  }
  if (bare_count != our_count || bare_bytes != our_bytes || our_count < kEntries) {
    std::printf("mismatch: floor %d entries, listing %d entries\n", bare_count, our_count);
    return 1;
  }
  std::sort(bare.begin(), bare.end());
  std::sort(ours.begin(), ours.end());
  const double bare_median = bare[kRounds / 2];
  const double our_median = ours[kRounds / 2];
  std::printf("listing %d entries, median of %d rounds\n", our_count, kRounds);
  std::printf("  FindFirstFileA/FindNextFileA (floor): %8.2f ms\n", bare_median);
  std::printf("  dir_examine/dir_next_entry/name:      %8.2f ms\n", our_median);
  std::printf("  ratio: %.3fx (target within 1.2x)\n", our_median / bare_median);
  std::printf("BENCH|listing 100,000 entries|%.2f|ms|FindFirstFileA loop|%.2f|<=1.2\n", our_median,
              bare_median);
  return 0;
}
