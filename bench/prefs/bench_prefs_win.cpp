// Wine benchmark: prefs_open + every lookup against GetPrivateProfileStringA on the same
// 10 MiB file. GetPrivateProfileStringA is timed for a sample of the lookups and extrapolated.
#include <windows.h>

#include <cstdio>
#include <string>

#include "bench_ini.h"
#include "prefs/prefs.h"

int main() {
  prefs_init();
  const std::string text = bench::make_text();
  const std::vector<bench::Lookup> lookups = bench::all_lookups();
  std::vector<std::string> groups, keys;
  for (int g = 0; g < bench::kGroups; ++g) groups.push_back(bench::group_name(g));
  for (int k = 0; k < bench::kKeysPerGroup; ++k) keys.push_back(bench::key_name(k));

  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  const std::string path =
      std::string(folder) + "pelmora-bench-prefs-" + std::to_string(GetCurrentProcessId()) + ".ini";
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  if (h == INVALID_HANDLE_VALUE ||
      !WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr))
    return 1;
  CloseHandle(h);
  std::printf("file: %.1f MiB, %d keys in %d groups; best of 5 runs\n", text.size() / 1048576.0,
              bench::kGroups * bench::kKeysPerGroup, bench::kGroups);

  long ours_chars = 0;
  double open_ms = 1e300, lookup_ms = 1e300, close_ms = 1e300;
  for (int r = 0; r < 5; ++r) {
    double o = bench::best_ms(1, [&] { prefs_open(path.c_str()); });
    double l = bench::best_ms(1, [&] {
      for (const bench::Lookup& x : lookups) {
        prefs_group(groups[x.group].c_str());
        ours_chars += static_cast<long>(prefs_read_string(keys[x.key].c_str(), "").size());
      }
    });
    double c = bench::best_ms(1, [&] { prefs_close(); });
    if (o < open_ms) open_ms = o;
    if (l < lookup_ms) lookup_ms = l;
    if (c < close_ms) close_ms = c;
  }

  // A sample spread over the whole file: every 200th lookup of the scattered order.
  const size_t step = 200;
  size_t sample = 0;
  long peer_chars = 0;
  long ours_sample_chars = 0;
  double peer_ms = bench::best_ms(1, [&] {
    char value[256];
    for (size_t i = 0; i < lookups.size(); i += step) {
      const bench::Lookup& x = lookups[i];
      peer_chars += static_cast<long>(GetPrivateProfileStringA(
          groups[x.group].c_str(), keys[x.key].c_str(), "", value, sizeof value, path.c_str()));
      ours_sample_chars += static_cast<long>(bench::value_of(x.group, x.key).size());
      ++sample;
    }
  });
  DeleteFileA(path.c_str());

  const double ours_per = lookup_ms * 1000.0 / lookups.size();
  const double peer_per = peer_ms * 1000.0 / sample;
  std::printf("%-44s %12s\n", "", "ms");
  std::printf("%-44s %12.2f\n", "ours: prefs_open (read + parse)", open_ms);
  std::printf("%-44s %12.2f  (%.3f us per lookup)\n", "ours: every lookup (prefs_group + read)",
              lookup_ms, ours_per);
  std::printf("%-44s %12.2f\n", "ours: prefs_close", close_ms);
  std::printf("%-44s %12.2f  (%.1f us per lookup, %zu lookups)\n",
              "GetPrivateProfileStringA: sample", peer_ms, peer_per, sample);
  std::printf("%-44s %12.0f\n", "GetPrivateProfileStringA: every lookup (est.)",
              peer_per * lookups.size() / 1000.0);
  std::printf("ratios (peer time / our time, above 1 = we are faster):\n");
  std::printf("  per lookup                          %10.0f\n", peer_per / ours_per);
  std::printf("  every lookup vs open + every lookup %10.0f\n",
              peer_per * lookups.size() / 1000.0 / (open_ms + lookup_ms));
  // Lines for scripts/bench.sh: name|ours|unit|peer|peer's figure|target for ours / peer.
  std::printf("BENCH|prefs: one lookup|%.4f|us|GetPrivateProfileStringA|%.1f|<=0.01\n", ours_per,
              peer_per);
  std::printf(
      "BENCH|prefs: open 10 MiB + every lookup|%.1f|ms|GetPrivateProfileStringA (est.)|%.0f|-\n",
      open_ms + lookup_ms, peer_per * lookups.size() / 1000.0);
  long expected = 0;
  for (const bench::Lookup& x : lookups)
    expected += static_cast<long>(bench::value_of(x.group, x.key).size());
  if (ours_chars != 5 * expected || peer_chars != ours_sample_chars) {
    std::printf("MISMATCH: ours %ld, peer %ld of %ld characters\n", ours_chars, peer_chars,
                ours_sample_chars);
    return 1;
  }
  return 0;
}
