// Installing a 64 MiB jar as a version of its own (jar, json and pelmora.ini each written
// beside, checked and moved into place; the jar flushed to the disk first) against the floors of
// one plain CopyFileA of the same jar and of CopyFileA followed by FlushFileBuffers, measured in
// the same run: without a launcher_profiles.json, and with one, which gains the version's profile
// and is flushed before it is replaced.
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
  std::string root, game, source, version, floor_copy, profiles;
};

Layout prepare() {
  Layout l;
  l.root = bench::current_folder() + "app-version-install\\";
  l.game = l.root + "game\\";
  l.source = l.root + "mod.jar";
  l.version = l.game + "versions\\mod\\";
  l.floor_copy = l.root + "floor.jar";
  l.profiles = l.game + "launcher_profiles.json";
  for (const std::string& folder :
       {l.root, l.game, l.game + "versions\\", l.game + "versions\\b1.7.3\\"}) {
    CreateDirectoryA(folder.c_str(), nullptr);
  }
  const std::string base = l.game + "versions\\b1.7.3\\b1.7.3";
  bench::write_file(base + ".json",
                    "{\"id\": \"b1.7.3\", \"downloads\": {\"client\": {\"size\": 1}}, "
                    "\"releaseTime\": \"2011-07-07T22:00:00+00:00\", \"type\": \"old_beta\"}");
  bench::write_file(base + ".jar", test_support::zip_archive({{"a", "b"}}));
  std::string bytes(kJarSize - 128, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 2654435761u >> 24);
  bench::write_file(l.source, test_support::zip_archive({{"new", bytes}}));
  return l;
}

// Removes the version made by the last round and the floor's copy, and writes the profiles
// file or removes it (not timed).
void reset(const Layout& l, bool profiles = false) {
  if (profiles) {
    bench::write_file(l.profiles, "{\"profiles\": {}, \"settings\": {}, \"version\": 3}");
  } else {
    DeleteFileA(l.profiles.c_str());
  }
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
  std::vector<double> plain, with_profile, floor, floor_flushed;
  bool ok = true;
  const auto install = [&](bool profiles) {
    reset(l, profiles);
    const double start = bench::now_ms();
    const VersionInstall result = install_version(
        l.game, "b1.7.3", {l.source, "mod", "mod.jar", {}}, "mod", "24_12_2012_18_05_09");
    const double took = bench::now_ms() - start;
    ok = ok && result.outcome.ok() && result.profile_written == profiles;
    return took;
  };
  for (int i = 0; i < kRuns + 1; ++i) {  // the first round warms the caches and is not counted
    const double a = install(false);
    const double b = install(true);
    reset(l);
    const double start = bench::now_ms();
    ok = ok && CopyFileA(l.source.c_str(), l.floor_copy.c_str(), FALSE) != 0;
    const double c = bench::now_ms() - start;
    HANDLE copy = CreateFileA(l.floor_copy.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ok = ok && copy != INVALID_HANDLE_VALUE && FlushFileBuffers(copy) != 0;
    if (copy != INVALID_HANDLE_VALUE) CloseHandle(copy);
    const double d = bench::now_ms() - start;
    if (i == 0) continue;
    plain.push_back(a);
    with_profile.push_back(b);
    floor.push_back(c);
    floor_flushed.push_back(d);
    std::printf(
        "run %d: install as version %.1f, with profile %.1f / CopyFileA %.1f, flushed %.1f ms\n", i,
        a, b, c, d);
  }
  reset(l);
  std::printf("medians: install as version %.1f, with profile %.1f / CopyFileA %.1f ms\n",
              bench::median(plain), bench::median(with_profile), bench::median(floor));
  bench::report("install 64 MiB jar as a version (best of 5)", bench::best(plain), "ms",
                "CopyFileA", bench::best(floor), "<=1.2");
  bench::report("install 64 MiB jar as a version (best of 5)", bench::best(plain), "ms",
                "CopyFileA + FlushFileBuffers", bench::best(floor_flushed), "<=1.2");
  bench::report("install 64 MiB jar as a version with its launcher profile (best of 5)",
                bench::best(with_profile), "ms", "CopyFileA + FlushFileBuffers",
                bench::best(floor_flushed), "<=1.2");
  DeleteFileA(l.source.c_str());
  if (!ok) std::fprintf(stderr, "an install or a copy failed\n");
  return ok ? 0 : 1;
}
