// libFuzzer target of the path handling of file_size and the listings. file_size itself asks the
// system (FindFirstFileA, GetDriveTypeA) and builds only for Windows; this target runs the same
// preparation on any path: cut at 260 characters, drive-root test, trailing separators removed,
// drive-root test again, network or parent test. It checks what the Win32 calls then rely on:
// the path handed to the system is never longer than the limit, never empty, never ends in a
// separator, and is what the input said, only shortened. The listing's search path is checked
// the same way. Input: path, a zero byte, then the listing pattern.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "fs/path.h"

namespace {

void fail(const char* what, const std::string& path) {
  std::fprintf(stderr, "fs path fuzz: %s (path of %zu bytes)\n", what, path.size());
  std::abort();
}

bool prefix_of(const std::string& part, const std::string& whole) {
  return part.size() <= whole.size() && whole.compare(0, part.size(), part) == 0;
}

bool separator(char c) { return c == '\\' || c == '/'; }

// What file_size does with a path before it asks the system; the three outcomes it can reach.
enum class Step { kAbsent, kDriveRoot, kSearch };

Step prepare(const char* path, std::string* asked) {
  if (path == nullptr || *path == '\0') return Step::kAbsent;
  std::string p = fs_path::cut(path);
  if (fs_path::is_drive_root(p)) {
    *asked = p;
    return Step::kDriveRoot;
  }
  fs_path::strip_trailing(p, "\\/");
  if (p.empty()) return Step::kAbsent;
  if (fs_path::is_drive_root(p)) {
    *asked = p;
    return Step::kDriveRoot;
  }
  *asked = p;
  return Step::kSearch;
}

void check_file_size_path(const std::string& input) {
  const std::string expected_cut = input.substr(0, fs_path::kPathLimit);
  if (fs_path::cut(input.c_str()) != expected_cut)
    fail("cut is not the first 260 characters", input);

  std::string asked;
  switch (prepare(input.c_str(), &asked)) {
    case Step::kAbsent:
      // Only an empty path or one made of separators alone names nothing.
      for (char c : expected_cut) {
        if (!separator(c)) fail("a path with a name was taken as absent", input);
      }
      break;
    case Step::kDriveRoot:
      if (asked.size() < 2 || asked.size() > 3 || asked[1] != ':') fail("not a drive root", input);
      if (!prefix_of(asked, expected_cut)) fail("drive root is not the path's start", input);
      break;
    case Step::kSearch:
      if (asked.empty() || asked.size() > fs_path::kPathLimit)
        fail("search path empty or too long", input);
      if (separator(asked.back())) fail("search path ends in a separator", input);
      if (!prefix_of(asked, expected_cut)) fail("search path is not the path, shortened", input);
      for (size_t i = asked.size(); i < expected_cut.size(); ++i) {
        if (!separator(expected_cut[i])) fail("more than the trailing separators removed", input);
      }
      break;
  }
}

// cut must read no further than the limit: a buffer of exactly 260 bytes need not be terminated.
void check_unterminated(const uint8_t* data, size_t size) {
  if (size < fs_path::kPathLimit) return;
  std::vector<char> exact(data, data + fs_path::kPathLimit);
  const std::string got = fs_path::cut(exact.data());
  if (got.size() > fs_path::kPathLimit) fail("cut read past the limit", got);
}

void check_listing(const std::string& folder, const std::string& pattern, bool no_pattern) {
  const std::string path =
      fs_path::listing_search_path(folder.c_str(), no_pattern ? nullptr : pattern.c_str());
  const std::string cut = folder.substr(0, fs_path::kPathLimit);
  const std::string tail = pattern.empty() || no_pattern ? std::string("*.*") : pattern;
  std::string expected = cut;
  if (!expected.empty() && expected.back() != '\\') expected += '\\';
  expected += tail;
  if (path != expected) fail("listing search path differs", folder);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  check_unterminated(data, size);
  // Paths are C strings: each ends at its first zero byte.
  const char* bytes = reinterpret_cast<const char*>(data);
  const size_t end = std::find(bytes, bytes + size, '\0') - bytes;
  const std::string path(bytes, end);
  std::string pattern;
  if (end < size) {
    const char* rest = bytes + end + 1;
    const size_t left = size - end - 1;
    pattern.assign(rest, std::find(rest, rest + left, '\0') - rest);
  }
  check_file_size_path(path);
  check_listing(path, pattern, end == size);

  std::string stripped = path;
  fs_path::strip_trailing(stripped, " \\/");
  if (!stripped.empty() && std::strchr(" \\/", stripped.back()) != nullptr)
    fail("dir_create strip left a separator", path);
  return 0;
}
