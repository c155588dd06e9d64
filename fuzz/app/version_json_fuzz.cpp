// libFuzzer target of the launcher's JSON files. Any input: no crash; whatever is read as an
// object with an "id" is copied as a version, and the copy parses and holds the new id; a
// profile added parses; both edits give the same bytes when made again on their own output;
// Windows-1252 text survives the way to UTF-8 and back; the version order keeps every entry.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "app/version_json.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

void fuzz_version(std::string_view input) {
  const VersionJsonInfo info = read_version_json(input);
  check(!info.object || json_well_formed(input));
  const std::string id = "M\xC3\xBCll \"1\\2\"\n";
  std::string copy;
  check(make_version_json(input, id, &copy) == (info.object && info.has_id));
  if (copy.empty()) return;
  const VersionJsonInfo made = read_version_json(copy);
  check(made.object && made.has_id && made.id == id && made.inherits == info.inherits);
  std::string again;
  check(make_version_json(copy, id, &again) && again == copy);
}

void fuzz_profile(std::string_view input) {
  const LauncherProfile profile = {"pelmora-\xC3\xA4\\", "\xC3\xA4 (Pelmora)", "\xC3\xA4\t",
                                   "2026-12-07T18:05:09.000Z"};
  std::string out;
  if (!add_launcher_profile(input, profile, &out)) return;
  check(json_well_formed(input) && json_well_formed(out));
  std::string again;
  check(add_launcher_profile(out, profile, &again) && again == out);
}

void fuzz_text(std::string_view input) {
  check(cp1252_from_utf8(utf8_from_cp1252(input)) == input);
  check(cp1252_from_utf8(input).size() <= input.size());
  std::vector<BaseVersion> list;
  size_t start = 0;
  for (size_t i = 0; i <= input.size(); ++i) {
    if (i == input.size() || input[i] == '\n') {
      list.push_back({std::to_string(list.size()), std::string(input.substr(start, i - start))});
      start = i + 1;
    }
  }
  const size_t count = list.size();
  sort_base_versions(&list);
  check(list.size() == count);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  fuzz_version(input);
  fuzz_profile(input);
  fuzz_text(input);
  return 0;
}
