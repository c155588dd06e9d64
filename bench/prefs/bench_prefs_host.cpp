// Host benchmark: our read + parse + every lookup against libinih on the same 10 MiB file.
// Peers: ini_parse with a handler that only counts (the bare parse), and INIReader (parse into a
// map, then Get for every key). Built without sanitizers; run by scripts/bench.sh.
#include <INIReader.h>
#include <ini.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench_ini.h"
#include "prefs/prefs_file.h"
#include "runtime/runtime.h"

namespace {

size_t read_file(void* context, char* out, size_t size) {
  return std::fread(out, 1, size, static_cast<FILE*>(context));
}
bool rewind_file(void* context) {
  return std::fseek(static_cast<FILE*>(context), 0, SEEK_SET) == 0;
}

// Opens the file and loads it as the Win32 layer does: its size, one read of the contents into
// the buffer, the parse. The previous file of the record is released keeping its memory, as
// closing a file does.
bool open_and_parse(PreferenceFile& f, const char* path) {
  file_release_keep_memory(f);
  FILE* file = std::fopen(path, "rb");
  if (!file) return false;
  std::setvbuf(file, nullptr, _IONBF, 0);  // one read straight into the buffer, like ReadFile
  std::fseek(file, 0, SEEK_END);
  long size = std::ftell(file);
  std::fseek(file, 0, SEEK_SET);
  f.handle = 1;
  file_load(f, static_cast<uint64_t>(size), FileReader{&read_file, &rewind_file, file});
  std::fclose(file);
  return f.read_only == 0;
}

int count_handler(void* user, const char*, const char*, const char*) {
  ++*static_cast<long*>(user);
  return 1;
}

}  // namespace

int main() {
  const std::string text = bench::make_text();
  const std::vector<bench::Lookup> lookups = bench::all_lookups();
  std::vector<std::string> groups, keys;
  for (int g = 0; g < bench::kGroups; ++g) groups.push_back(bench::group_name(g));
  for (int k = 0; k < bench::kKeysPerGroup; ++k) keys.push_back(bench::key_name(k));

  char path[] = "/tmp/pelmora-bench-prefs-XXXXXX";
  int fd = mkstemp(path);
  FILE* out = fd >= 0 ? fdopen(fd, "wb") : nullptr;
  if (!out || std::fwrite(text.data(), 1, text.size(), out) != text.size()) return 1;
  std::fclose(out);
  const int runs = 7;
  std::printf("file: %.1f MiB, %d keys in %d groups, %zu lookups; median of %d runs\n",
              text.size() / 1048576.0, bench::kGroups * bench::kKeysPerGroup, bench::kGroups,
              lookups.size(), runs);

  long checksum = 0;

  // Ours: open + parse, then every lookup (select group + read string). The first run is the
  // only one that touches fresh memory; it is shown apart.
  std::vector<double> parse_ms, lookup_ms;
  PreferenceFile f{};
  for (int r = 0; r < runs; ++r) {
    bool loaded = false;
    parse_ms.push_back(bench::time_ms([&] { loaded = open_and_parse(f, path); }));
    if (!loaded) return 1;
    lookup_ms.push_back(bench::time_ms([&] {
      for (const bench::Lookup& x : lookups) {
        file_select_group(f, groups[x.group].c_str());
        checksum += static_cast<long>(file_read_string(f, keys[x.key].c_str(), "").size());
      }
    }));
  }
  file_release(f);
  const double ours_first = parse_ms[0];
  const double ours_parse = bench::median(parse_ms);
  const double ours_lookups = bench::median(lookup_ms);

  // inih: the bare parse with a counting handler.
  long pairs = 0;
  double inih_parse = bench::median_ms(runs, [&] { ini_parse(path, count_handler, &pairs); });

  // INIReader: parse into its map, then Get for every key.
  std::vector<double> reader_parse_ms, reader_lookup_ms;
  for (int r = 0; r < runs; ++r) {
    INIReader* reader = nullptr;
    reader_parse_ms.push_back(bench::time_ms([&] { reader = new INIReader(path); }));
    reader_lookup_ms.push_back(bench::time_ms([&] {
      for (const bench::Lookup& x : lookups)
        checksum -= static_cast<long>(reader->Get(groups[x.group], keys[x.key], "").size());
    }));
    delete reader;
  }
  const double reader_parse = bench::median(reader_parse_ms);
  const double reader_lookups = bench::median(reader_lookup_ms);
  std::remove(path);

  const double mib = text.size() / 1048576.0;
  std::printf("%-34s %10s %10s\n", "", "ms", "MiB/s");
  std::printf("%-34s %10.2f %10.0f\n", "ours: read + parse", ours_parse, mib / ours_parse * 1000);
  std::printf("%-34s %10.2f %10.0f\n", "ours: first run (fresh memory)", ours_first,
              mib / ours_first * 1000);
  std::printf("%-34s %10.2f %10.0f\n", "inih ini_parse (counting handler)", inih_parse,
              mib / inih_parse * 1000);
  std::printf("%-34s %10.2f %10.0f\n", "INIReader: parse into map", reader_parse,
              mib / reader_parse * 1000);
  std::printf("%-34s %10.2f  (%.0f ns per lookup)\n", "ours: every lookup", ours_lookups,
              ours_lookups * 1e6 / lookups.size());
  std::printf("%-34s %10.2f  (%.0f ns per lookup)\n", "INIReader: every lookup", reader_lookups,
              reader_lookups * 1e6 / lookups.size());
  std::printf("%-34s %10.2f\n", "ours: parse + every lookup", ours_parse + ours_lookups);
  std::printf("%-34s %10.2f\n", "INIReader: parse + every lookup", reader_parse + reader_lookups);
  std::printf("ratios (peer time / our time, above 1 = we are faster):\n");
  std::printf("  parse vs ini_parse          %6.2f\n", inih_parse / ours_parse);
  std::printf("  parse vs INIReader          %6.2f\n", reader_parse / ours_parse);
  std::printf("  lookups vs INIReader        %6.2f\n", reader_lookups / ours_lookups);
  std::printf("  parse + lookups vs INIReader %5.2f\n",
              (reader_parse + reader_lookups) / (ours_parse + ours_lookups));
  // Lines for scripts/bench.sh: name|ours|unit|peer|peer's figure|target for ours / peer.
  std::printf("BENCH|prefs: read + parse 10 MiB|%.2f|ms|inih ini_parse|%.2f|<=1.0\n", ours_parse,
              inih_parse);
  std::printf("BENCH|prefs: parse + every lookup|%.2f|ms|INIReader|%.2f|-\n",
              ours_parse + ours_lookups, reader_parse + reader_lookups);
  if (pairs != static_cast<long>(runs) * bench::kGroups * bench::kKeysPerGroup + runs ||
      checksum != 0) {
    std::printf("MISMATCH: inih saw %ld pairs, checksum %ld\n", pairs, checksum);
    return 1;
  }
  return 0;
}
