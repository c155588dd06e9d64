#include "fs/fs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/resource_counts_win.h"
#include "support/scratch_folder_win.h"

namespace {

using test_support::CurrentDirectoryGuard;
using test_support::ScratchFolder;

std::vector<std::string> list_all(intptr_t number) {
  std::vector<std::string> names;
  while (dir_next_entry(number)) names.push_back(dir_entry_name(number));
  return names;
}

std::vector<std::string> sorted(std::vector<std::string> v) {
  std::sort(v.begin(), v.end());
  return v;
}

class Listing : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(scratch_.ok());
    ASSERT_TRUE(SetCurrentDirectoryA(scratch_.path().c_str()));
    ASSERT_TRUE(CreateDirectoryA("jar", nullptr));
    for (const char* name : {"jar\\alpha.jar", "jar\\beta.jar", "jar\\notes.txt"}) {
      ASSERT_TRUE(scratch_.write(name, name));
    }
    ASSERT_TRUE(CreateDirectoryA("jar\\folder.jar", nullptr));
  }
  void TearDown() override {
    for (intptr_t n = 0; n < 8; ++n) dir_release(n);
  }
  ScratchFolder scratch_;
  CurrentDirectoryGuard cwd_;  // restores the directory before the folder is removed
};

TEST_F(Listing, FolderWithAndWithoutSeparatorListTheSame) {
  const std::vector<std::string> expected = {"alpha.jar", "beta.jar", "folder.jar"};
  ASSERT_NE(dir_examine(0, "jar", "*.jar"), 0);
  EXPECT_EQ(sorted(list_all(0)), expected);
  ASSERT_NE(dir_examine(0, "jar\\", "*.jar"), 0);
  EXPECT_EQ(sorted(list_all(0)), expected);
  ASSERT_NE(dir_examine(0, "jar/", "*.jar"), 0);
  EXPECT_EQ(sorted(list_all(0)), expected);
  ASSERT_NE(dir_examine(0, (scratch_ / "jar").c_str(), "*.jar"), 0);
  EXPECT_EQ(sorted(list_all(0)), expected);
}

TEST_F(Listing, EmptyPatternListsEverythingWithDots) {
  const std::vector<std::string> expected = {".",        "..",         "alpha.jar",
                                             "beta.jar", "folder.jar", "notes.txt"};
  for (const char* pattern : {"", static_cast<const char*>(nullptr), "*.*"}) {
    ASSERT_NE(dir_examine(1, "jar", pattern), 0);
    EXPECT_EQ(sorted(list_all(1)), expected);
  }
}

TEST_F(Listing, EmptyFolderPathListsTheCurrentFolder) {
  ASSERT_NE(dir_examine(2, "", "*.jar"), 0);
  EXPECT_TRUE(list_all(2).empty());
  ASSERT_NE(dir_examine(2, nullptr, "jar"), 0);
  EXPECT_EQ(list_all(2), std::vector<std::string>{"jar"});
}

TEST_F(Listing, NoMatchIsAnEmptyListing) {
  ASSERT_NE(dir_examine(0, "jar", "*.zip"), 0);
  EXPECT_EQ(dir_next_entry(0), 0);
  EXPECT_EQ(dir_next_entry(0), 0);
}

TEST_F(Listing, MissingFolderFails) {
  EXPECT_EQ(dir_examine(0, "missing", "*.jar"), 0);
  EXPECT_EQ(dir_next_entry(0), 0);
  EXPECT_EQ(dir_entry_name(0), "");
  EXPECT_EQ(dir_examine(-1, "missing", "*.jar"), 0);
  // A file where the folder should be.
  ASSERT_TRUE(scratch_.write("plain", "x"));
  EXPECT_EQ(dir_examine(0, "plain", "*.jar"), 0);
  EXPECT_EQ(dir_examine(0, "plain", nullptr), 0);
  EXPECT_EQ(dir_next_entry(0), 0);
}

TEST_F(Listing, FailureReplacesAnOpenListing) {
  ASSERT_NE(dir_examine(0, "jar", "*.jar"), 0);
  EXPECT_EQ(dir_examine(0, "missing", "*.jar"), 0);
  EXPECT_EQ(dir_next_entry(0), 0);
  EXPECT_EQ(dir_entry_name(0), "");
}

TEST_F(Listing, NameBeforeTheFirstStepIsTheFirstEntry) {
  ASSERT_NE(dir_examine(0, "jar", "alpha.*"), 0);
  EXPECT_EQ(dir_entry_name(0), "alpha.jar");
  EXPECT_EQ(dir_next_entry(0), 1);
  EXPECT_EQ(dir_entry_name(0), "alpha.jar");
  EXPECT_EQ(dir_next_entry(0), 0);
  EXPECT_EQ(dir_next_entry(0), 0);
}

TEST_F(Listing, ReexaminingRestartsAndClosesTheOldSearch) {
  ASSERT_NE(dir_examine(0, "jar", "*.jar"), 0);
  ASSERT_EQ(dir_next_entry(0), 1);
  const std::string first = dir_entry_name(0);
  ASSERT_EQ(dir_next_entry(0), 1);
  EXPECT_NE(dir_entry_name(0), first);

  const DWORD before = test_support::count_kernel_handles();
  ASSERT_GT(before, 0);
  for (int i = 0; i < 20; ++i) ASSERT_NE(dir_examine(0, "jar", "*.jar"), 0);
  EXPECT_EQ(test_support::count_kernel_handles(), before);
  ASSERT_EQ(dir_next_entry(0), 1);
  EXPECT_EQ(dir_entry_name(0), first);
  EXPECT_EQ(list_all(0).size(), 2u);
}

TEST_F(Listing, AutomaticNumbers) {
  const intptr_t a = dir_examine(-1, "jar", "*.txt");
  const intptr_t b = dir_examine(-1, "jar", "*.jar");
  ASSERT_NE(a, 0);
  ASSERT_NE(b, 0);
  EXPECT_NE(a, b);
  EXPECT_EQ(list_all(a), std::vector<std::string>{"notes.txt"});
  EXPECT_EQ(list_all(b).size(), 3u);
  dir_release(a);
  dir_release(b);
}

TEST_F(Listing, ReleaseClosesAndIsRepeatable) {
  const DWORD before = test_support::count_kernel_handles();
  ASSERT_NE(dir_examine(5, "jar", "*.jar"), 0);
  EXPECT_GT(test_support::count_kernel_handles(), before);
  dir_release(5);
  EXPECT_EQ(test_support::count_kernel_handles(), before);
  EXPECT_EQ(dir_next_entry(5), 0);
  EXPECT_EQ(dir_entry_name(5), "");
  dir_release(5);
  dir_release(6);
  EXPECT_EQ(dir_next_entry(1000), 0);
  EXPECT_EQ(dir_next_entry(-1), 0);
}

}  // namespace
