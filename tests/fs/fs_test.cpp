#include "fs/fs.h"

#include <gtest/gtest.h>

#include <string>

#include "runtime/handles_win.h"
#include "support/scratch_folder_win.h"

#include <winioctl.h>

namespace {

using test_support::CurrentDirectoryGuard;
using test_support::ScratchFolder;

class FileOps : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(scratch_.ok());
    ASSERT_TRUE(SetCurrentDirectoryA(scratch_.path().c_str()));
  }
  ScratchFolder scratch_;
  CurrentDirectoryGuard cwd_;  // restores the directory before the folder is removed
};

TEST_F(FileOps, SizesOfFiles) {
  ASSERT_TRUE(scratch_.write("empty.txt", ""));
  ASSERT_TRUE(scratch_.write("five.txt", "12345"));
  EXPECT_EQ(file_size("empty.txt"), 0);
  EXPECT_EQ(file_size((scratch_ / "five.txt").c_str()), 5);
  EXPECT_EQ(file_size("missing.txt"), -1);
  EXPECT_EQ(file_size(""), -1);
  EXPECT_EQ(file_size(nullptr), -1);
  // Wildcards report the first match.
  EXPECT_EQ(file_size("fi*.txt"), 5);
  EXPECT_EQ(file_size("nothing*.txt"), -1);
}

TEST_F(FileOps, FolderWithAndWithoutSeparator) {
  for (const char* p : {"jar", "jar\\", "jar\\\\", "jar/"}) EXPECT_EQ(file_size(p), -1) << p;
  ASSERT_TRUE(CreateDirectoryA("jar", nullptr));
  for (const char* p : {"jar", "jar\\", "jar\\\\", "jar/"}) EXPECT_EQ(file_size(p), -2) << p;
  EXPECT_EQ(file_size((scratch_ / "jar\\").c_str()), -2);
}

TEST_F(FileOps, Drives) {
  EXPECT_EQ(file_size("C:"), -2);
  EXPECT_EQ(file_size("C:\\"), -2);
  EXPECT_EQ(file_size("c:/"), -2);
  const DWORD in_use = GetLogicalDrives();
  char unused = 0;
  for (char letter = 'Y'; letter > 'D'; --letter) {
    if (!(in_use & (1u << (letter - 'A')))) {
      unused = letter;
      break;
    }
  }
  ASSERT_NE(unused, 0) << "every drive letter is in use";
  const std::string bare = std::string(1, unused) + ":";
  EXPECT_EQ(file_size(bare.c_str()), -1) << bare;
  EXPECT_EQ(file_size((bare + "\\").c_str()), -1) << bare;
}

TEST_F(FileOps, NameRelativeToTheDriveIsNoDrive) {
  // The current folder is on drive C: "C:name" is the file name in it.
  ASSERT_EQ(scratch_.path().compare(0, 2, "C:"), 0) << scratch_.path();
  ASSERT_TRUE(scratch_.write("x", "abc"));
  EXPECT_EQ(file_size("C:x"), 3);
  EXPECT_EQ(file_size("C:y"), -1);
}

TEST_F(FileOps, ParentReferences) {
  ASSERT_TRUE(CreateDirectoryA("inner", nullptr));
  ASSERT_TRUE(scratch_.write("top.txt", "1234"));
  ASSERT_TRUE(SetCurrentDirectoryA("inner"));
  EXPECT_EQ(file_size(".."), -2);
  EXPECT_EQ(file_size("..\\"), -2);
  EXPECT_EQ(file_size("..\\top.txt"), 4);
  EXPECT_EQ(file_size("..\\inner"), -2);
  EXPECT_EQ(file_size("..\\missing"), -1);
  EXPECT_EQ(file_size("\\\\nosuchserver\\noshare\\file"), -1);
}

TEST_F(FileOps, OverlongPathsAreCutNotOverrun) {
  const std::string longer(4000, 'x');
  EXPECT_EQ(file_size(longer.c_str()), -1);
  EXPECT_EQ(dir_create(longer.c_str()), 0);
  EXPECT_EQ(dir_examine(3, longer.c_str(), "*.jar"), 0);
}

TEST_F(FileOps, FileLargerThanFourGiB) {
  // A sparse file: its size is set, no data is written.
  const std::string big = scratch_ / "big.bin";
  win::Handle h(CreateFileA(big.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(h);
  DWORD ignored = 0;
  DeviceIoControl(h.get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
  LARGE_INTEGER end;
  end.QuadPart = (5LL << 30) + 123;
  const bool sized = SetFilePointerEx(h.get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(h.get());
  FILE_STANDARD_INFO info = {};
  const bool known = GetFileInformationByHandleEx(h.get(), FileStandardInfo, &info, sizeof info);
  h.reset();
  ASSERT_TRUE(sized);
  ASSERT_TRUE(known);
  ASSERT_EQ(info.EndOfFile.QuadPart, end.QuadPart);
  ASSERT_LT(info.AllocationSize.QuadPart, 1LL << 30) << "the file system made the file dense";
  EXPECT_EQ(file_size(big.c_str()), (5LL << 30) + 123);
}

TEST_F(FileOps, CreateFolders) {
  EXPECT_NE(dir_create("jar\\"), 0);
  EXPECT_EQ(file_size("jar"), -2);
  EXPECT_EQ(dir_create("jar\\"), 0);
  EXPECT_EQ(dir_create("jar"), 0);
  EXPECT_NE(dir_create("bin/  "), 0);
  EXPECT_EQ(file_size("bin"), -2);
  EXPECT_EQ(dir_create("missing\\child"), 0);
  EXPECT_EQ(file_size("missing"), -1);
  EXPECT_EQ(dir_create(""), 0);
  EXPECT_EQ(dir_create(" \\/"), 0);
  EXPECT_EQ(dir_create(nullptr), 0);
}

TEST_F(FileOps, CopyReplacesAnExistingFile) {
  ASSERT_TRUE(scratch_.write("new.jar", "new content"));
  ASSERT_TRUE(scratch_.write("old.jar", "old"));
  EXPECT_NE(file_copy("new.jar", "old.jar"), 0);
  EXPECT_EQ(ScratchFolder::read_file(scratch_ / "old.jar"), "new content");
  EXPECT_NE(file_copy("new.jar", "fresh.jar"), 0);
  EXPECT_EQ(ScratchFolder::read_file(scratch_ / "fresh.jar"), "new content");
  EXPECT_EQ(file_copy("missing.jar", "other.jar"), 0);
  EXPECT_FALSE(ScratchFolder::exists(scratch_ / "other.jar"));
  EXPECT_EQ(file_copy(nullptr, "x.jar"), 0);
  EXPECT_EQ(file_copy("new.jar", nullptr), 0);
}

TEST_F(FileOps, RenameOntoAnExistingFileChangesNothing) {
  ASSERT_TRUE(scratch_.write("a.jar", "A"));
  ASSERT_TRUE(scratch_.write("b.jar", "B"));
  EXPECT_EQ(file_rename("a.jar", "b.jar"), 0);
  EXPECT_EQ(ScratchFolder::read_file(scratch_ / "a.jar"), "A");
  EXPECT_EQ(ScratchFolder::read_file(scratch_ / "b.jar"), "B");

  ASSERT_TRUE(CreateDirectoryA("backup", nullptr));
  EXPECT_NE(file_rename("a.jar", "backup\\24_12_2012_18_05_09.jar"), 0);
  EXPECT_FALSE(ScratchFolder::exists(scratch_ / "a.jar"));
  EXPECT_EQ(ScratchFolder::read_file(scratch_ / "backup\\24_12_2012_18_05_09.jar"), "A");
  EXPECT_EQ(file_rename("missing.jar", "c.jar"), 0);
  EXPECT_EQ(file_rename(nullptr, "c.jar"), 0);
  EXPECT_EQ(file_rename("b.jar", nullptr), 0);
  EXPECT_EQ(ScratchFolder::read_file(scratch_ / "b.jar"), "B");
}

TEST_F(FileOps, Delete) {
  ASSERT_TRUE(scratch_.write("gone.jar", "x"));
  EXPECT_NE(file_delete("gone.jar"), 0);
  EXPECT_EQ(file_size("gone.jar"), -1);
  EXPECT_EQ(file_delete("gone.jar"), 0);
  EXPECT_EQ(file_delete(nullptr), 0);
}

TEST_F(FileOps, CurrentDirectoryEndsInOneSeparator) {
  EXPECT_EQ(current_directory(), scratch_.path());
  ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
  EXPECT_EQ(current_directory(), "C:\\");
}

}  // namespace
