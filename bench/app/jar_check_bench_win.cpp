// The jar check of a 64 MiB jar with 10,000 entries against CopyFileA of the same file, measured
// in the same run. The check reads the end, the central directory and two local headers, so it
// should cost a small fraction of reading the file once.
#include <windows.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "app/jar_check.h"
#include "bench_support_win.h"
#include "support/zip_writer.h"

namespace {

constexpr size_t kJarSize = 64u << 20;
constexpr int kEntries = 10000;
constexpr int kRuns = 5;

// A real archive of kEntries stored entries with class-like names, about kJarSize bytes.
std::string make_jar() {
  std::vector<std::pair<std::string, std::string>> entries;
  entries.reserve(kEntries);
  const size_t each = kJarSize / kEntries - 140;  // less the headers of about 140 bytes
  uint32_t seed = 2654435761u;
  for (int i = 0; i < kEntries; ++i) {
    std::string data(each, '\0');
    for (char& c : data) {
      seed = seed * 1664525u + 1013904223u;
      c = static_cast<char>(seed >> 24);
    }
    entries.emplace_back("net/minecraft/client/c" + std::to_string(i) + ".class", std::move(data));
  }
  return test_support::zip_archive(entries);
}

}  // namespace

int main() {
  const std::string folder = bench::current_folder() + "app-jar-check\\";
  const std::string jar = folder + "client.jar";
  const std::string copy = folder + "copy.jar";
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string bytes = make_jar();
  if (!bench::write_file(jar, bytes)) {
    std::fprintf(stderr, "writing %s failed\n", jar.c_str());
    return 1;
  }
  std::printf("jar: %u bytes, %d entries\n", static_cast<unsigned>(bytes.size()), kEntries);

  std::vector<double> ours, floor;
  bool ok = true;
  for (int i = 0; i < kRuns + 1; ++i) {  // the first round warms the caches and is not counted
    double start = bench::now_ms();
    ok = check_jar_file(jar).ok() && ok;
    const double a = bench::now_ms() - start;
    DeleteFileA(copy.c_str());
    start = bench::now_ms();
    ok = CopyFileA(jar.c_str(), copy.c_str(), FALSE) != 0 && ok;
    const double b = bench::now_ms() - start;
    DeleteFileA(copy.c_str());
    if (i == 0) continue;
    ours.push_back(a);
    floor.push_back(b);
    std::printf("run %d: jar check %.2f ms / CopyFileA %.1f ms\n", i, a, b);
  }
  bench::report("jar check 64 MiB jar, 10,000 entries (best of 5)", bench::best(ours), "ms",
                "CopyFileA", bench::best(floor), "<=0.05");
  DeleteFileA(jar.c_str());
  RemoveDirectoryA(folder.c_str());
  if (!ok) std::fprintf(stderr, "the check or a copy failed\n");
  return ok ? 0 : 1;
}
