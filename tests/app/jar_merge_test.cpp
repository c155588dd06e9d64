// The jar merge on archives built in memory and made by real tools: which entries win, what is
// left out, that entries are copied byte for byte, and that every result passes the jar check
// (and, on the host, Python's zipfile and unzip).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <iterator>
#include <string>
#include <vector>

#include "app/jar_merge.h"
#include "app/mods.h"
#include "support/memory_jar.h"
#include "support/zip_writer.h"

#ifdef _WIN32
#include "support/scratch_folder_win.h"
#endif

namespace {

using test_support::MemorySink;
using test_support::MemorySource;
using test_support::zip_archive;
using test_support::zip_fixture;
using Entries = std::vector<std::pair<std::string, std::string>>;

uint32_t le16(const std::string& z, uint64_t at) {
  return static_cast<uint8_t>(z[at]) | static_cast<uint8_t>(z[at + 1]) << 8;
}

// Each entry of an archive that passes the check, by name, as stored: the bytes from its local
// header up to the next local header or the directory (data descriptor included), without the
// local name, so that an entry whose top folder was taken off compares with its source.
std::vector<std::pair<std::string, std::string>> stored(const std::string& zip) {
  MemorySource source(zip);
  JarListing listing;
  EXPECT_TRUE(list_jar(source, &listing).ok());
  std::map<uint64_t, uint64_t> next;
  for (const JarEntry& e : listing.entries) next[e.local_offset] = listing.directory_offset;
  for (auto it = next.begin(); it != next.end() && std::next(it) != next.end(); ++it) {
    it->second = std::next(it)->first;
  }
  std::vector<std::pair<std::string, std::string>> out;
  for (const JarEntry& e : listing.entries) {
    const uint64_t at = e.local_offset;
    const uint64_t name = le16(zip, at + 26);
    out.emplace_back(e.name, zip.substr(at, 26) + zip.substr(at + 28, 2) +
                                 zip.substr(at + 30 + name, next[at] - at - 30 - name));
  }
  return out;
}

struct Merged {
  JarMerge result;
  std::string bytes;
};

Merged merge(const std::string& base, const std::vector<std::string>& mods) {
  MemorySource base_source(base);
  std::vector<MemorySource> mod_sources(mods.begin(), mods.end());
  std::vector<JarSource*> pointers;
  for (MemorySource& m : mod_sources) pointers.push_back(&m);
  MemorySink sink;
  Merged merged{merge_jars(base_source, pointers, sink), sink.bytes};
  if (merged.result.ok()) {
    MemorySource written(merged.bytes);
    EXPECT_TRUE(check_jar(written).ok());
  }
  return merged;
}

// Where each entry of the result came from: {name, index of the source's archive}.
using Expected = std::vector<std::pair<std::string, int>>;

struct Case {
  const char* what;
  Entries base;
  std::vector<Entries> mods;
  Expected result;
  size_t shared_names;
};

TEST(JarMerge, LaterSourcesWinAndSignaturesAndTheClientJarFolderGo) {
  const Case cases[] = {
      {"order and clashes",
       {{"a.class", "base a"}, {"b.class", "base b"}},
       {{{"b.class", "1 b"}, {"c.class", "1 c"}}, {{"c.class", "2 c"}, {"d", "2 d"}}},
       {{"a.class", 0}, {"b.class", 1}, {"c.class", 2}, {"d", 2}},
       1},
      {"META-INF of the base goes, of the mods only signature files",
       {{"META-INF/MANIFEST.MF", "base"}, {"META-INF/MOJANG_C.SF", "s"}, {"a", "base a"}},
       {{{"META-INF/MANIFEST.MF", "mod"},
         {"META-INF/M.RSA", "r"},
         {"META-INF/M.DSA", "d"},
         {"meta-inf/m.ec", "e"},
         {"META-INF/sub/keep.SF", "k"},
         {"b", "mod b"}}},
       {{"a", 0}, {"META-INF/MANIFEST.MF", 1}, {"META-INF/sub/keep.SF", 1}, {"b", 1}},
       0},
      {"a client jar's top folder is taken off, other folders stay",
       {{"a.class", "base a"}},
       {{{"MINECRAFT-JAR/", ""},
         {"MINECRAFT-JAR/a.class", "1 a"},
         {"MINECRAFT-JAR/META-INF/MOJANG_C.SF", "s"}},
        {{"mods/a.class", "2 a"}},
        {{"minecraft.jar/x", "3 x"}, {"other/a.class", "3 a"}}},
       {{"a.class", 1}, {"mods/a.class", 2}, {"minecraft.jar/x", 3}, {"other/a.class", 3}},
       0},
      {"directories are merged like files but are no shared files",
       {{"net/", ""}, {"net/a", "base"}},
       {{{"net/", ""}, {"net/b", "1"}}, {{"net/", ""}, {"net/c", "2"}}},
       {{"net/a", 0}, {"net/b", 1}, {"net/", 2}, {"net/c", 2}},
       0},
      {"empty entries and names twice in one mod",
       {{"empty", ""}},
       {{{"x", "first"}, {"x", "second"}, {"y", ""}}, {{"y", "2"}}},
       {{"empty", 0}, {"x", 1}, {"y", 2}},
       1},
  };
  for (const Case& c : cases) {
    std::vector<std::string> archives = {zip_archive(c.base)};
    for (const Entries& m : c.mods) archives.push_back(zip_archive(m));
    const Merged merged = merge(archives[0], {archives.begin() + 1, archives.end()});
    ASSERT_TRUE(merged.result.ok()) << c.what;
    EXPECT_EQ(merged.result.shared_names, c.shared_names) << c.what;
    const auto result = stored(merged.bytes);
    ASSERT_EQ(result.size(), c.result.size()) << c.what;
    EXPECT_EQ(merged.result.entries, result.size()) << c.what;
    // Entries in first-to-last-source order, each byte for byte as its source stores it.
    for (size_t i = 0; i < c.result.size(); ++i) {
      EXPECT_EQ(result[i].first, c.result[i].first) << c.what;
      bool found = false;
      for (const auto& [name, bytes] : stored(archives[c.result[i].second])) {
        const bool same_name =
            name == c.result[i].first || name.substr(name.find('/') + 1) == c.result[i].first;
        found = found || (same_name && bytes == result[i].second);
      }
      EXPECT_TRUE(found) << c.what << ": " << c.result[i].first;
    }
  }
}

// Deflated entries, data descriptors and extra fields of real tools, a zip64 base, a count over
// 65,535 and a stub in front are all copied as stored.
TEST(JarMerge, RealToolsAndZip64AreCopiedAsStored) {
  test_support::ZipOptions wide;
  wide.zip64 = true;
  const std::string base = zip_archive({{"base.class", "b"}}, wide);
  std::vector<std::string> mods;
  std::vector<std::string> outputs;
  for (const std::string& fixture : test_support::zip_tool_fixtures()) {
    mods.push_back(zip_fixture(fixture));
    const Merged merged = merge(base, {mods.back()});
    ASSERT_TRUE(merged.result.ok()) << fixture;
    const auto from = stored(mods.back());
    for (const auto& entry : stored(merged.bytes)) {
      const bool copied = std::find(from.begin(), from.end(), entry) != from.end();
      EXPECT_TRUE(copied || entry.first == "base.class") << fixture << ": " << entry.first;
    }
    outputs.push_back(merged.bytes);
  }
  // The manifest, A.class, B.class and pack.png; the folders are not counted.
  EXPECT_EQ(merge(base, mods).result.shared_names, 4u);

  Entries many;
  for (int i = 0; i < 65600; ++i) many.emplace_back(std::to_string(i), "");
  const Merged big = merge(zip_archive(many), {zip_archive({{"x", "y"}})});
  ASSERT_TRUE(big.result.ok());
  EXPECT_EQ(big.result.entries, 65601u);
  outputs.push_back(big.bytes);
#ifndef _WIN32
  // A real zip reader opens both and finds every entry whole.
  for (const std::string& output : outputs) {
    const std::string path = testing::TempDir() + "merged.jar";
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(output.data(), 1, output.size(), f);
    std::fclose(f);
    const std::string python =
        "python3 -c \"import sys,zipfile; z=zipfile.ZipFile(sys.argv[1]); "
        "sys.exit(z.testzip() is not None or len(z.namelist()) < 2)\" ";
    EXPECT_EQ(std::system((python + path).c_str()), 0);
    EXPECT_EQ(std::system(("unzip -tqq " + path + " >/dev/null").c_str()), 0);
    std::remove(path.c_str());
  }
#endif
}

TEST(JarMerge, BrokenSourcesAndFailedWritesAreReportedAndNameTheSource) {
  const std::string good = zip_archive({{"a", "1"}});
  const std::string cut = good.substr(0, good.size() - 3);
  struct Refusal {
    std::string base;
    std::vector<std::string> mods;
    MergeOutcome outcome;
    size_t source;
    JarVerdict verdict;
  } refusals[] = {
      {good, {good, "<html>not a jar</html>"}, MergeOutcome::bad_source, 2, JarVerdict::not_zip},
      {good, {cut, good}, MergeOutcome::bad_source, 1, JarVerdict::damaged},
      {cut, {good}, MergeOutcome::bad_source, 0, JarVerdict::damaged},
      {zip_archive({{"META-INF/MANIFEST.MF", ""}}),
       {zip_archive({{"META-INF/A.SF", ""}})},
       MergeOutcome::nothing_left,
       0,
       JarVerdict::ok},
  };
  for (const Refusal& r : refusals) {
    const Merged merged = merge(r.base, r.mods);
    EXPECT_EQ(merged.result.outcome, r.outcome) << r.source;
    EXPECT_EQ(merged.result.source, r.source);
    EXPECT_EQ(merged.result.check.verdict, r.verdict) << r.source;
    EXPECT_TRUE(merged.bytes.empty()) << "nothing is written for a refused source";
  }
  // A middle local header the check does not read is found broken while copying.
  test_support::ZipLayout layout;
  std::string broken = zip_archive({{"a", "1"}, {"b", "2"}, {"c", "3"}}, {}, &layout);
  broken[layout.local[1]] = 'X';
  EXPECT_EQ(merge(good, {broken}).result.source, 1u);
  EXPECT_EQ(merge(good, {broken}).result.check.verdict, JarVerdict::damaged);

  // Every failed read and every failed write is reported with the system's error.
  for (int fail = 1; fail < 12; ++fail) {
    MemorySource base(good);
    MemorySource mod(good);
    mod.fail_read = fail;
    MemorySink sink;
    const JarMerge result = merge_jars(base, {&mod}, sink);
    if (result.ok()) break;
    EXPECT_EQ(result.check.verdict, JarVerdict::unreadable) << fail;
    EXPECT_EQ(result.check.system_error, 23u) << fail;
  }
  for (size_t fail_after : {size_t{0}, size_t{40}, good.size() - 1}) {
    MemorySource base(good);
    MemorySink sink;
    sink.fail_after = fail_after;
    const JarMerge result = merge_jars(base, {}, sink);
    EXPECT_EQ(result.outcome, MergeOutcome::write_failed) << fail_after;
    EXPECT_EQ(result.system_error, 112u) << fail_after;
  }
}

TEST(ModsTexts, OrderAndMessagesOfAMerge) {
  EXPECT_EQ(mod_order({"02 b.ZIP", "readme.txt", "01 a.jar", "folder", "10 c.zip", "x.zip.txt"}),
            (std::vector<std::string>{"01 a.jar", "02 b.ZIP", "10 c.zip"}));
  const std::pair<std::pair<size_t, size_t>, std::string> merged[] = {
      {{1, 0}, "1 Mod wurde eingebaut!"},
      {{3, 1},
       "3 Mods wurden eingebaut!\n\n1 Datei kam in mehreren Mods vor; es gilt die sp\xE4tere."},
      {{2, 7},
       "2 Mods wurden eingebaut!\n\n7 Dateien kamen in mehreren Mods vor; es gilt jeweils die "
       "sp\xE4tere."},
  };
  for (const auto& [counts, text] : merged) {
    EXPECT_EQ(mods_merged_text(counts.first, counts.second), text);
  }
  JarMerge bad;
  bad.outcome = MergeOutcome::bad_source;
  bad.source = 2;
  bad.check.verdict = JarVerdict::not_zip;
  EXPECT_EQ(merge_failure_text(bad, {"01 a.zip", "02 b.zip"}, "C:\\g\\bin\\minecraft.jar"),
            "Die Mods konnten nicht eingebaut werden.\n\n02 b.zip ist kein g\xFCltiges "
            "Jar-Archiv.\nDie Datei ist kein Zip-Archiv.\n\nDie bisherige minecraft.jar ist "
            "unver\xE4ndert.");
  // The client jar is the base; one that cannot be read is not called invalid.
  bad.source = 0;
  bad.check = {JarVerdict::unreadable, 2};
  const std::string unreadable = merge_failure_text(bad, {"01 a.zip"}, "C:\\g\\bin\\minecraft.jar");
  EXPECT_NE(unreadable.find("nicht gefunden.\nC:\\g\\bin\\minecraft.jar"), std::string::npos)
      << unreadable;
  EXPECT_EQ(unreadable.find("kein g"), std::string::npos) << unreadable;
  // Into a version, the base version's jar is named and the end is that of a version's install.
  const std::string version = merge_failure_text(bad, {"01 a.zip"}, "C:\\v\\b\\b.jar", true);
  EXPECT_NE(version.find("gefunden.\nC:\\v\\b\\b.jar\n\nEs wurde nichts ver\xE4ndert."),
            std::string::npos)
      << version;
}

#ifdef _WIN32
TEST(JarMergeFile, WritesANewCheckedFileOrLeavesNone) {
  const test_support::ScratchFolder folder;
  ASSERT_TRUE(folder.ok());
  ASSERT_TRUE(folder.write("base.jar", zip_archive({{"a", "base"}, {"META-INF/X.SF", ""}})));
  ASSERT_TRUE(folder.write("01 mod.zip", zip_fixture("python-stream.jar")));
  ASSERT_TRUE(folder.write("02 page.zip", "<html></html>"));
  ASSERT_TRUE(folder.write("taken.jar", "someone's file"));
  uint32_t cleanup = 1;

  JarMerge merged =
      merge_jar_files(folder / "base.jar", {folder / "01 mod.zip"}, folder / "out.jar", &cleanup);
  ASSERT_TRUE(merged.ok());
  EXPECT_EQ(cleanup, 0u);
  EXPECT_TRUE(check_jar_file(folder / "out.jar").ok());

  merged = merge_jar_files(folder / "base.jar", {folder / "01 mod.zip", folder / "02 page.zip"},
                           folder / "out2.jar", &cleanup);
  EXPECT_EQ(merged.outcome, MergeOutcome::bad_source);
  EXPECT_EQ(merged.source, 2u);
  EXPECT_EQ(GetFileAttributesA((folder / "out2.jar").c_str()), INVALID_FILE_ATTRIBUTES);

  merged =
      merge_jar_files(folder / "base.jar", {folder / "missing.zip"}, folder / "out3.jar", &cleanup);
  EXPECT_EQ(merged.check.system_error, static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));

  // A staging name that is taken is never written over.
  merged = merge_jar_files(folder / "base.jar", {}, folder / "taken.jar", &cleanup);
  EXPECT_EQ(merged.outcome, MergeOutcome::write_failed);
  EXPECT_EQ(merged.system_error, static_cast<uint32_t>(ERROR_FILE_EXISTS));
  EXPECT_EQ(test_support::ScratchFolder::read_file(folder / "taken.jar"), "someone's file");
}
#endif

}  // namespace
