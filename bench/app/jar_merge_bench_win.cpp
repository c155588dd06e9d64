// The jar merge of three mods of 1 MiB into a 64 MiB base with 10,000 entries, against CopyFileA
// of the base, measured in the same run. The merge reads and writes every byte once, in pieces
// of 1 MiB, and checks what it wrote; it should cost little more than the copy.
#include <windows.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "app/jar_merge.h"
#include "bench_support_win.h"
#include "support/zip_writer.h"

namespace {

constexpr int kRuns = 5;

// An archive of `count` stored entries of `each` bytes of noise, named prefix + number.
std::string make_jar(int count, size_t each, const std::string& prefix, int first) {
  std::vector<std::pair<std::string, std::string>> entries;
  entries.reserve(count);
  uint32_t seed = 2654435761u + first;
  for (int i = 0; i < count; ++i) {
    std::string data(each, '\0');
    for (char& c : data) {
      seed = seed * 1664525u + 1013904223u;
      c = static_cast<char>(seed >> 24);
    }
    entries.emplace_back(prefix + std::to_string(first + i) + ".class", std::move(data));
  }
  return test_support::zip_archive(entries);
}

}  // namespace

int main() {
  const std::string folder = bench::current_folder() + "app-jar-merge\\";
  const std::string base = folder + "client.jar";
  const std::string copy = folder + "copy.jar";
  const std::string merged = folder + "merged.jar";
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string prefix = "net/minecraft/client/c";
  bool ok = bench::write_file(base, make_jar(10000, (64u << 20) / 10000 - 140, prefix, 0));
  // Each mod shares half of its classes with the base or the mod before it.
  std::vector<std::string> mods;
  for (int m = 0; m < 3; ++m) {
    mods.push_back(folder + "0" + std::to_string(m + 1) + " mod.zip");
    const std::string jar = make_jar(100, (1u << 20) / 100 - 140, prefix, 9950 + 50 * m);
    ok = bench::write_file(mods.back(), jar) && ok;
  }
  if (!ok) {
    std::fprintf(stderr, "writing the jars in %s failed\n", folder.c_str());
    return 1;
  }

  std::vector<double> ours, floor;
  for (int i = 0; i < kRuns + 1; ++i) {  // the first round warms the caches and is not counted
    DeleteFileA(merged.c_str());
    double start = bench::now_ms();
    uint32_t cleanup = 0;
    const JarMerge result = merge_jar_files(base, mods, merged, &cleanup);
    const double a = bench::now_ms() - start;
    ok = result.ok() && ok;
    DeleteFileA(copy.c_str());
    start = bench::now_ms();
    ok = CopyFileA(base.c_str(), copy.c_str(), FALSE) != 0 && ok;
    const double b = bench::now_ms() - start;
    if (i == 0) continue;
    ours.push_back(a);
    floor.push_back(b);
    std::printf("run %d: merge %.1f ms (%u entries) / CopyFileA %.1f ms\n", i, a,
                static_cast<unsigned>(result.entries), b);
  }
  bench::report("merge 3 mods of 1 MiB into a 64 MiB jar (best of 5)", bench::best(ours), "ms",
                "CopyFileA of the base", bench::best(floor), "<=1.3");
  for (const std::string& file : mods) DeleteFileA(file.c_str());
  for (const std::string& file : {base, copy, merged}) DeleteFileA(file.c_str());
  RemoveDirectoryA(folder.c_str());
  if (!ok) std::fprintf(stderr, "a merge or a copy failed\n");
  return ok ? 0 : 1;
}
