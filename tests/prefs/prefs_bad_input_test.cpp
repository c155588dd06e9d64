// Input outside the format: garbage, zero bytes, odd line ends and large files. Nothing may
// crash, and writing the list back must keep every entry.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "prefs/prefs_file.h"
#include "prefs_test_util.h"

namespace {

// Small deterministic generator, so that failures can be repeated.
struct Rng {
  uint32_t state;
  uint32_t next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  }
};

// Bytes with the format's special characters over-represented.
std::string garbage(Rng& rng, size_t length) {
  static const char kSpecial[] = {'\r', '\n', '\0', '=', '[', ']', ';', ' ', '\t', 'a', 'A'};
  std::string s(length, '\0');
  for (char& c : s) {
    uint32_t r = rng.next();
    c = (r & 1) ? kSpecial[(r >> 1) % sizeof kSpecial] : static_cast<char>(r >> 8);
  }
  if (length >= 3 && (rng.next() & 7) == 0) s.replace(0, 3, "\xEF\xBB\xBF");
  return s;
}

// Every key gives the same answer through the index and by walking the list, in every group
// (duplicate groups included, by setting the selection directly).
void expect_index_matches_walk(const std::string& input) {
  LoadedFile indexed(input);
  LoadedFile walked(input);
  walked.without_index();
  if (indexed.f.encoding != kEncodingAnsi) return;  // keys below are file bytes, not 8-bit text
  const PreferenceEntry* w = walked.f.entries;
  for (const PreferenceEntry* e = indexed.f.entries; e; e = e->next, w = w->next) {
    if (e->kind == EntryKind::group) {
      indexed.f.current_group = const_cast<PreferenceEntry*>(e);
      walked.f.current_group = const_cast<PreferenceEntry*>(w);
    }
    if (e->kind != EntryKind::key) continue;
    const char* a = file_find_value(indexed.f, e->key);
    const char* b = file_find_value(walked.f, e->key);
    ASSERT_TRUE(a && b);
    EXPECT_STREQ(a, b);
  }
}

TEST(PrefsBadInput, GarbageParsesAndRoundTrips) {
  Rng rng{12345};
  for (int i = 0; i < 400; ++i) {
    std::string input = garbage(rng, rng.next() % 300);
    LoadedFile first(input);
    ASSERT_TRUE(links_consistent(first.f));
    LoadedFile second(first.text());
    ASSERT_EQ(dump(second.f), dump(first.f)) << "case " << i;
    expect_index_matches_walk(input);
  }
}

TEST(PrefsBadInput, ZeroBytesEverywhere) {
  std::string zeros(64, '\0');
  LoadedFile lf(zeros);
  EXPECT_EQ(lf.f.entries, nullptr);
  LoadedFile mixed(std::string("\0k\0=\0[\0;\0", 10));
  EXPECT_EQ(dump(mixed.f), (std::vector<std::string>{"k=", "=", "[]", ";"}));
}

TEST(PrefsBadInput, WritesIntoGarbageKeepEveryOtherEntry) {
  Rng rng{777};
  for (int i = 0; i < 100; ++i) {
    std::string input = garbage(rng, 200);
    LoadedFile lf(input);
    std::vector<std::string> before = dump(lf.f);
    file_write_string(lf.f, "zz-new", "value");
    LoadedFile back(lf.text());
    std::vector<std::string> after = dump(back.f);
    ASSERT_EQ(after.size(), before.size() + 1) << "case " << i;
  }
}

TEST(PrefsBadInput, ManyGroupsAndKeysThroughTheIndex) {
  // Enough entries to make the index grow several times; duplicates in different letter case.
  std::string text;
  for (int g = 0; g < 300; ++g) {
    text += "[Group" + std::to_string(g % 250) + "]\n";
    for (int k = 0; k < 20; ++k)
      text += "Key" + std::to_string(k) + "=" + std::to_string(g * 100 + k) + "\n";
    text += "key0=dup\n";
  }
  LoadedFile lf(text);
  ASSERT_EQ(file_select_group(lf.f, "GROUP7"), 1);
  EXPECT_EQ(file_read_string(lf.f, "KEY0", ""), "700");
  ASSERT_EQ(file_select_group(lf.f, "group10"), 1);  // group10 appears twice: the first wins
  EXPECT_EQ(file_read_string(lf.f, "key19", ""), "1019");
  for (int k = 20; k < 400; ++k) file_write_string(lf.f, ("New" + std::to_string(k)).c_str(), "n");
  EXPECT_EQ(file_read_string(lf.f, "new399", ""), "n");
  ASSERT_EQ(file_select_group(lf.f, "group11"), 1);
  EXPECT_EQ(file_read_string(lf.f, "new399", "none"), "none");
}

// A file whose reads stop for good at byte `readable` (a read error, or a file cut short after
// its size was taken); counts the bytes asked for.
struct CutShortFile {
  std::string text;
  size_t readable;
  bool can_rewind = true;
  size_t position = 0;
  size_t asked = 0;

  static size_t read(void* context, char* out, size_t size) {
    auto* file = static_cast<CutShortFile*>(context);
    file->asked += size;
    size_t end = std::min(file->readable, file->text.size());
    size_t n = file->position < end ? std::min(size, end - file->position) : 0;
    std::memcpy(out, file->text.data() + file->position, n);
    file->position += n;
    return n;
  }
  static bool rewind(void* context) {
    auto* file = static_cast<CutShortFile*>(context);
    if (file->can_rewind) file->position = 0;
    return file->can_rewind;
  }
  FileReader reader() { return FileReader{&read, &rewind, this}; }
};

// Contents that could not be read whole are never written back: the file is read-only, and
// what was read before the cut stays readable.
TEST(PrefsBadInput, ShortReadLeavesTheFileReadOnly) {
  const std::string text = "first=1\r\nsecond=2\r\n";
  const std::string marked = "\xEF\xBB\xBF" + text;
  struct Case {
    const char* what;
    std::string text;
    size_t readable;
    bool can_rewind;
    uint32_t read_only;
    std::vector<std::string> entries;
  } cases[] = {
      {"whole", text, text.size(), true, 0, {"first=1", "second=2"}},
      {"cut in the second line", text, 11, true, 1, {"first=1", "se="}},
      {"nothing readable", text, 0, true, 1, {}},
      {"cut in the byte-order mark", marked, 2, true, 1, {"\xEF\xBB="}},
      {"cut after the byte-order mark", marked, 10, true, 1, {"first=1"}},
      {"no mark and no way back to the start", text, text.size(), false, 1, {}},
  };
  for (Case& c : cases) {
    CutShortFile file{c.text, c.readable, c.can_rewind};
    LoadedFile lf("");
    file_load(lf.f, c.text.size(), file.reader());
    EXPECT_EQ(lf.f.read_only, c.read_only) << c.what;
    EXPECT_EQ(dump(lf.f), c.entries) << c.what;
  }
}

// Contents for which no memory can be had leave the file without entries and read-only, so that
// a close never writes the empty list over the file; nothing past the byte-order mark is read.
TEST(PrefsBadInput, ContentsWithoutMemoryLeaveTheFileReadOnly) {
  for (uint64_t size : {uint64_t{3} << 30, uint64_t{0xFFFFFFFE}, uint64_t{5} << 30}) {
    CutShortFile file{"k=1\r\n", 5};
    LoadedFile lf("");
    file_load(lf.f, size, file.reader());
    EXPECT_EQ(lf.f.read_only, 1u) << size;
    EXPECT_EQ(lf.f.entries, nullptr) << size;
    EXPECT_LE(file.asked, 3u) << size;
  }
}

}  // namespace
