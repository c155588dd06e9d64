// The jar check on archives built in memory: good ones pass, every cut and every broken record
// fails with the right verdict, reads stay bounded, and read errors are reported as such.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "app/jar_check.h"
#include "support/memory_jar.h"
#include "support/zip_writer.h"

#ifdef _WIN32
#include "runtime/handles_win.h"
#include "support/scratch_folder_win.h"
#endif

namespace {

using test_support::zip_archive;
using test_support::zip_poke16;
using test_support::zip_poke32;
using test_support::zip_poke64;
using test_support::ZipLayout;
using test_support::ZipOptions;

using test_support::MemorySource;

JarVerdict verdict_of(const std::string& bytes) {
  MemorySource source(bytes);
  return check_jar(source).verdict;
}

const std::vector<std::pair<std::string, std::string>> kEntries = {
    {"META-INF/MANIFEST.MF", "Manifest-Version: 1.0\r\n\r\n"},
    {"a.class", std::string(100, 'a')},
    {"net/b.class", std::string(300, 'b')}};

TEST(JarCheck, WholeArchivesPass) {
  ZipOptions commented;
  commented.comment = "built by hand";
  ZipOptions wide;
  wide.zip64 = true;
  EXPECT_EQ(verdict_of(zip_archive(kEntries)), JarVerdict::ok);
  EXPECT_EQ(verdict_of(zip_archive(kEntries, commented)), JarVerdict::ok);
  EXPECT_EQ(verdict_of(zip_archive(kEntries, wide)), JarVerdict::ok);
  EXPECT_EQ(verdict_of(zip_archive({{"only", ""}})), JarVerdict::ok);
  // Bytes after the archive are tolerated.
  EXPECT_EQ(verdict_of(zip_archive(kEntries) + "trailing"), JarVerdict::ok);
  // A comment that itself holds an end record signature: the record reaching the end wins.
  ZipOptions decoy;
  decoy.comment = std::string("PK\x05\x06", 4) + std::string(18, '\0');
  EXPECT_EQ(verdict_of(zip_archive(kEntries, decoy)), JarVerdict::ok);
  // A launcher stub in front whose length the offsets do not count, as Java's reader allows.
  EXPECT_EQ(verdict_of("#!/bin/sh\nexec java -jar \"$0\"\n" + zip_archive(kEntries)),
            JarVerdict::ok);
  // Archives written by real tools: deflated, with extra fields and data descriptors.
  for (const std::string& name : test_support::zip_tool_fixtures()) {
    const std::string bytes = test_support::zip_fixture(name);
    ASSERT_GT(bytes.size(), 500u) << name;
    EXPECT_EQ(verdict_of(bytes), JarVerdict::ok) << name;
    EXPECT_NE(verdict_of(bytes.substr(0, bytes.size() - 1)), JarVerdict::ok) << name;
  }
}

// Without zip64 records the 16-bit count of an archive of more than 65,535 entries has wrapped:
// Java counts the headers, and so does the check; any other disagreement stays damaged.
TEST(JarCheck, WrappedEntryCountsPassOnlyWhenTheHeadersAgree) {
  for (const int total : {65536, 65537}) {
    std::vector<std::pair<std::string, std::string>> entries;
    for (int i = 0; i < total; ++i) entries.emplace_back(std::to_string(100000 + i), "");
    ZipLayout layout;
    std::string zip = zip_archive(entries, {}, &layout);
    EXPECT_EQ(verdict_of(zip), JarVerdict::ok) << total;
    zip_poke16(zip, layout.end_record + 8, total + 1);
    zip_poke16(zip, layout.end_record + 10, total + 1);
    EXPECT_EQ(verdict_of(zip), JarVerdict::damaged) << total;
  }
}

// A download cut short at any length, plain, commented or zip64, is never taken for a jar.
TEST(JarCheck, ArchivesCutShortAnywhereAreDamaged) {
  ZipOptions commented;
  commented.comment = "a comment";
  ZipOptions wide;
  wide.zip64 = true;
  for (const ZipOptions& options : {ZipOptions(), commented, wide}) {
    const std::string whole = zip_archive(kEntries, options);
    for (size_t cut = 0; cut < whole.size(); ++cut) {
      const JarVerdict expected = cut < 4 ? JarVerdict::not_zip : JarVerdict::damaged;
      ASSERT_EQ(verdict_of(whole.substr(0, cut)), expected)
          << "cut at " << cut << " of " << whole.size() << (options.zip64 ? " (zip64)" : "");
    }
  }
}

TEST(JarCheck, FilesThatAreNoArchiveAreNotZip) {
  EXPECT_EQ(verdict_of(""), JarVerdict::not_zip);
  EXPECT_EQ(verdict_of("<!DOCTYPE html><html><body>404 Not Found</body></html>\n"),
            JarVerdict::not_zip);
  std::string noise(200000, '\0');
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 7919u) >> 3);
  EXPECT_EQ(verdict_of(noise), JarVerdict::not_zip);
  // An archive's first bytes with nothing after them is an archive cut short.
  EXPECT_EQ(verdict_of(std::string("PK\x03\x04", 4) + "rest of a download"), JarVerdict::damaged);
  // An archive with no entries: the end record alone.
  EXPECT_EQ(verdict_of(zip_archive({})), JarVerdict::damaged);
}

struct Breakage {
  const char* what;
  bool zip64;
  std::function<void(std::string&, const ZipLayout&)> apply;
  JarVerdict expected;
};

TEST(JarCheck, BrokenRecordsAreFound) {
  const Breakage cases[] = {
      {"first local signature", false,
       [](std::string& z, const ZipLayout& l) { z[l.local[0]] = 'X'; }, JarVerdict::damaged},
      {"last local signature", false,
       [](std::string& z, const ZipLayout& l) { z[l.local[2] + 3] = 9; }, JarVerdict::damaged},
      {"middle local header is not read", false,
       [](std::string& z, const ZipLayout& l) { z[l.local[1]] = 'X'; }, JarVerdict::ok},
      {"central signature", false,
       [](std::string& z, const ZipLayout& l) { z[l.central[1] + 2] = 0; }, JarVerdict::damaged},
      {"one entry more than the directory holds", false,
       [](std::string& z, const ZipLayout& l) {
         zip_poke16(z, l.end_record + 8, 4);
         zip_poke16(z, l.end_record + 10, 4);
       },
       JarVerdict::damaged},
      {"one entry fewer than the directory holds", false,
       [](std::string& z, const ZipLayout& l) {
         zip_poke16(z, l.end_record + 8, 2);
         zip_poke16(z, l.end_record + 10, 2);
       },
       JarVerdict::damaged},
      {"zero entries", false,
       [](std::string& z, const ZipLayout& l) {
         zip_poke16(z, l.end_record + 8, 0);
         zip_poke16(z, l.end_record + 10, 0);
       },
       JarVerdict::damaged},
      {"directory offset past the end", false,
       [](std::string& z, const ZipLayout& l) { zip_poke32(z, l.end_record + 16, 0xFFFFFFF0u); },
       JarVerdict::damaged},
      {"directory size past the end record", false,
       [](std::string& z, const ZipLayout& l) {
         zip_poke32(z, l.end_record + 12, static_cast<uint32_t>(l.central_size + 1));
       },
       JarVerdict::damaged},
      {"multi-disk end record", false,
       [](std::string& z, const ZipLayout& l) { zip_poke16(z, l.end_record + 6, 1); },
       JarVerdict::damaged},
      {"entry on another disk", false,
       [](std::string& z, const ZipLayout& l) { zip_poke16(z, l.central[2] + 34, 1); },
       JarVerdict::damaged},
      {"local offset inside the directory", false,
       [](std::string& z, const ZipLayout& l) {
         zip_poke32(z, l.central[1] + 42, static_cast<uint32_t>(l.central_start - 10));
       },
       JarVerdict::damaged},
      {"all-ones local offset without zip64 field", false,
       [](std::string& z, const ZipLayout& l) { zip_poke32(z, l.central[0] + 42, 0xFFFFFFFFu); },
       JarVerdict::damaged},
      {"last entry's data runs into the directory", false,
       [](std::string& z, const ZipLayout& l) { zip_poke32(z, l.central[2] + 20, 301); },
       JarVerdict::damaged},
      {"last local name runs into the directory", false,
       [](std::string& z, const ZipLayout& l) { zip_poke16(z, l.local[2] + 26, 400); },
       JarVerdict::damaged},
      {"end comment longer than the file", false,
       [](std::string& z, const ZipLayout& l) { zip_poke16(z, l.end_record + 20, 5); },
       JarVerdict::damaged},
      {"zip64 entry count disagrees with the end record", true,
       [](std::string& z, const ZipLayout& l) { zip_poke16(z, l.end_record + 10, 2); },
       JarVerdict::damaged},
      {"zip64 entry count on this disk disagrees with the end record", true,
       [](std::string& z, const ZipLayout& l) { zip_poke16(z, l.end_record + 8, 4); },
       JarVerdict::damaged},
      {"zip64 entry count disagrees with the directory", true,
       [](std::string& z, const ZipLayout& l) {
         zip_poke64(z, l.zip64_record + 24, 2);
         zip_poke64(z, l.zip64_record + 32, 2);
       },
       JarVerdict::damaged},
      {"zip64 directory offset wrong", true,
       [](std::string& z, const ZipLayout& l) { zip_poke64(z, l.zip64_record + 48, 8); },
       JarVerdict::damaged},
      {"zip64 directory past the zip64 record", true,
       [](std::string& z, const ZipLayout& l) {
         zip_poke64(z, l.zip64_record + 40, l.central_size + 4);
       },
       JarVerdict::damaged},
      {"directory offset one byte short: no prefix explains it", false,
       [](std::string& z, const ZipLayout& l) {
         zip_poke32(z, l.end_record + 16, static_cast<uint32_t>(l.central_start - 1));
       },
       JarVerdict::damaged},
      {"directory offset too small with the local offsets right", false,
       [](std::string& z, const ZipLayout& l) {
         zip_poke32(z, l.end_record + 16, static_cast<uint32_t>(l.central_start - l.local[1]));
       },
       JarVerdict::damaged},
      {"zip64 record signature", true,
       [](std::string& z, const ZipLayout& l) { z[l.zip64_record + 1] = 'Q'; },
       JarVerdict::damaged},
      {"zip64 locator pointing past itself", true,
       [](std::string& z, const ZipLayout& l) {
         zip_poke64(z, l.zip64_locator + 8, l.zip64_locator);
       },
       JarVerdict::damaged},
      {"zip64 locator on a second disk", true,
       [](std::string& z, const ZipLayout& l) { zip_poke32(z, l.zip64_locator + 16, 2); },
       JarVerdict::damaged},
      {"zip64 extra field missing", true,
       [](std::string& z, const ZipLayout& l) {
         zip_poke16(z, l.central[1] + 46 + 7, 0x5455);  // "a.class" then the extra's id
       },
       JarVerdict::damaged},
      {"zip64 extra field too short", true,
       [](std::string& z, const ZipLayout& l) { zip_poke16(z, l.central[0] + 46 + 20 + 2, 16); },
       JarVerdict::damaged},
      {"zip64 local offset outside", true,
       [](std::string& z, const ZipLayout& l) {
         zip_poke64(z, l.central[2] + 46 + 11 + 20, UINT64_MAX - 8);
       },
       JarVerdict::damaged},
  };
  for (const Breakage& c : cases) {
    ZipOptions options;
    options.zip64 = c.zip64;
    ZipLayout layout;
    std::string zip = zip_archive(kEntries, options, &layout);
    c.apply(zip, layout);
    EXPECT_EQ(verdict_of(zip), c.expected) << c.what;
  }
}

// The check reads the tail, the directory and two local headers, never the entries' data.
TEST(JarCheck, ReadsStayBoundedAndReadErrorsAreReported) {
  // A directory larger than the tail, so that it needs reads of its own.
  std::vector<std::pair<std::string, std::string>> entries = {{"first", "x"},
                                                              {"big", std::string(4 << 20, 'd')}};
  for (int i = 0; i < 2000; ++i) entries.emplace_back("e" + std::to_string(10000 + i), "");
  entries.emplace_back("last", "y");
  ZipLayout layout;
  const std::string zip = zip_archive(entries, {}, &layout);
  ASSERT_GT(layout.central_size, 65557u);
  MemorySource source(zip);
  EXPECT_TRUE(check_jar(source).ok());
  EXPECT_LE(source.bytes_read, 65557u + layout.central_size + 1000);
  EXPECT_GE(source.reads, 4) << "the tail, the directory and two local headers";

  // Every read can fail, and each failure is reported with the system's error, never as a
  // verdict on the contents.
  for (int fail_read = 1; fail_read <= source.reads; ++fail_read) {
    MemorySource failing(zip);
    failing.fail_read = fail_read;
    const JarCheck result = check_jar(failing);
    EXPECT_EQ(result.verdict, JarVerdict::unreadable) << "read " << fail_read;
    EXPECT_EQ(result.system_error, 23u) << "read " << fail_read;
  }
}

#ifdef _WIN32
TEST(JarCheckFile, ChecksRealFilesAndReportsWhyOthersCannotBeRead) {
  const test_support::ScratchFolder folder;
  ASSERT_TRUE(folder.ok());
  ASSERT_TRUE(folder.write("good.jar", zip_archive(kEntries)));
  ASSERT_TRUE(folder.write("page.jar", "<html><body>Not Found</body></html>"));
  ASSERT_TRUE(folder.write("cut.jar", zip_archive(kEntries).substr(0, 200)));
  ASSERT_TRUE(CreateDirectoryA((folder / "folder.jar").c_str(), nullptr));

  EXPECT_TRUE(check_jar_file(folder / "good.jar").ok());
  EXPECT_EQ(check_jar_file(folder / "page.jar").verdict, JarVerdict::not_zip);
  EXPECT_EQ(check_jar_file(folder / "cut.jar").verdict, JarVerdict::damaged);

  const JarCheck missing = check_jar_file(folder / "missing.jar");
  EXPECT_EQ(missing.verdict, JarVerdict::unreadable);
  EXPECT_EQ(missing.system_error, static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
  const JarCheck directory = check_jar_file(folder / "folder.jar");
  EXPECT_EQ(directory.verdict, JarVerdict::unreadable);
  EXPECT_NE(directory.system_error, 0u);

  // A file held open for writing by someone else can still be checked.
  const win::Handle held(CreateFileA((folder / "good.jar").c_str(), GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);
  EXPECT_TRUE(check_jar_file(folder / "good.jar").ok());
}
#endif

}  // namespace
