// Installing a 64 MiB jar as a version of its own (jar, json and pelmora.ini each written
// beside, checked, flushed and moved into place, plus the launcher profile) against the floor of
// one plain CopyFileA of the same jar, measured in the same run.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/versions.h"
#include "support/zip_writer.h"
#include "bench_support_win.h"
#include "runtime/runtime.h"

namespace {

constexpr size_t kJarSize = 64u << 20;
constexpr int kRuns = 5;

struct Layout {
  std::string root, game, source, version, floor_copy;
};

Layout prepare() {
  Layout l;
  l.root = bench::current_folder() + "app-version-install\\";
  l.game = l.root + "game\\";
  l.source = l.root + "mod.jar";
  l.version = l.game + "versions\\mod\\";
  l.floor_copy = l.root + "floor.jar";
  for (const std::string& folder :
       {l.root, l.game, l.game + "versions\\", l.game + "versions\\b1.7.3\\"}) {
    CreateDirectoryA(folder.c_str(), nullptr);
  }
  const std::string base = l.game + "versions\\b1.7.3\\b1.7.3";
  bench::write_file(base + ".json",
                    "{\"id\": \"b1.7.3\", \"downloads\": {\"client\": {\"size\": 1}}, "
                    "\"releaseTime\": \"2011-07-07T22:00:00+00:00\", \"type\": \"old_beta\"}");
  bench::write_file(base + ".jar", test_support::zip_archive({{"a", "b"}}));
  bench::write_file(l.game + "launcher_profiles.json",
                    "{\"profiles\": {}, \"settings\": {}, \"version\": 3}");
  std::string bytes(kJarSize - 128, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 2654435761u >> 24);
  bench::write_file(l.source, test_support::zip_archive({{"new", bytes}}));
  return l;
}

// Removes the version made by the last round and the floor's copy (not timed).
void reset(const Layout& l) {
  for (const char* name : {"mod.jar", "mod.json", "pelmora.ini"}) {
    DeleteFileA((l.version + name).c_str());
  }
  RemoveDirectoryA(l.version.c_str());
  DeleteFileA(l.floor_copy.c_str());
}

}  // namespace

int main() {
  runtime_startup(LibrarySteps{});
  const Layout l = prepare();
  std::vector<double> ours, floor;
  bool ok = true;
  for (int i = 0; i < kRuns + 1; ++i) {  // the first round warms the caches and is not counted
    reset(l);
    double start = bench::now_ms();
    const VersionInstall result =
        install_version(l.game, "b1.7.3", l.source, "mod.jar", "mod", "24_12_2012_18_05_09");
    const double a = bench::now_ms() - start;
    ok = ok && result.outcome.ok() && result.profile_written;
    reset(l);
    start = bench::now_ms();
    ok = ok && CopyFileA(l.source.c_str(), l.floor_copy.c_str(), FALSE) != 0;
    const double b = bench::now_ms() - start;
    if (i == 0) continue;
    ours.push_back(a);
    floor.push_back(b);
    std::printf("run %d: install as version %.1f / CopyFileA %.1f ms\n", i, a, b);
  }
  reset(l);
  std::printf("medians: install as version %.1f / CopyFileA %.1f ms\n", bench::median(ours),
              bench::median(floor));
  bench::report("install 64 MiB jar as a version with its profile (best of 5)", bench::best(ours),
                "ms", "CopyFileA", bench::best(floor), "<=1.2");
  DeleteFileA(l.source.c_str());
  if (!ok) std::fprintf(stderr, "an install or a copy failed\n");
  return ok ? 0 : 1;
}
