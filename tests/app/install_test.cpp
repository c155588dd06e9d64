// Backup and install of the client jar with real files under Windows / Wine: the happy paths,
// name collisions, and failures that must leave the client jar complete and in place.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/install.h"
#include "app/paths.h"
#include "support/e2e_driver.h"
#include "runtime/runtime.h"
#include "support/scratch_folder_win.h"
#include "support/zip_writer.h"

namespace {

using e2e::exists;
using e2e::list_folder;
using e2e::read_file;
using e2e::write_file;

constexpr char kStamp[] = "24_12_2012_18_05_09";
const std::string kOld = test_support::zip_archive({{"old.class", "old client jar"}});
const std::string kNew = test_support::zip_archive({{"new.class", "the new jar, a little longer"}});

class InstallTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static bool started = false;
    if (!started) {
      runtime_startup(LibrarySteps{});
      started = true;
    }
  }

  void SetUp() override {
    ASSERT_TRUE(scratch_.ok());
    game_ = scratch_.path() + "game\\";
    source_ = scratch_.path() + "new.jar";
    ASSERT_TRUE(CreateDirectoryA(game_.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((game_ + "bin").c_str(), nullptr));
    ASSERT_TRUE(write_file(client(), kOld));
    ASSERT_TRUE(write_file(source_, kNew));
  }

  std::string client() const { return game_ + "bin\\minecraft.jar"; }
  std::string backups() const { return game_ + "bin\\backup\\"; }
  std::vector<std::string> bin_files() const { return list_folder(game_ + "bin\\", "*.*"); }

  static BackupSettings quick() {
    BackupSettings settings;
    settings.pause_ms = 0;
    return settings;
  }

  test_support::ScratchFolder scratch_;
  std::string game_;
  std::string source_;
};

// A read-only file of the jar folder (mode 444 under Wine) gives a copy that CopyFileA marks
// read-only too; the client jar made from it must not be.
bool read_only(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

TEST_F(InstallTest, InstallReplacesTheClientJarAndLeavesNothingElse) {
  ASSERT_TRUE(SetFileAttributesA(source_.c_str(), FILE_ATTRIBUTE_READONLY));
  const FileOutcome outcome = install_client_jar(source_, game_);
  ASSERT_TRUE(outcome.ok()) << failure_reason_text(outcome);
  EXPECT_EQ(outcome.path, client());
  EXPECT_EQ(read_file(client()), kNew);
  EXPECT_EQ(read_file(source_), kNew) << "the source stays in the jar folder";
  EXPECT_TRUE(read_only(source_));
  EXPECT_FALSE(read_only(client()));
  EXPECT_TRUE(install_client_jar(source_, game_).ok()) << "a later install replaces it again";
  EXPECT_EQ(bin_files(), std::vector<std::string>{"minecraft.jar"});
}

TEST_F(InstallTest, InstallCreatesAMissingClientJar) {
  ASSERT_TRUE(DeleteFileA(client().c_str()));
  ASSERT_TRUE(install_client_jar(source_, game_).ok());
  EXPECT_EQ(read_file(client()), kNew);
}

TEST_F(InstallTest, BackupCopiesTheClientJarUnderTheStampName) {
  const FileOutcome outcome = backup_client_jar(game_, kStamp, quick());
  ASSERT_TRUE(outcome.ok()) << failure_reason_text(outcome);
  EXPECT_EQ(outcome.path, backups() + kStamp + ".jar");
  EXPECT_EQ(read_file(outcome.path), kOld);
  EXPECT_EQ(list_folder(backups(), "*"), std::vector<std::string>{std::string(kStamp) + ".jar"});
  EXPECT_EQ(read_file(client()), kOld) << "the backup never removes the client jar";
}

TEST_F(InstallTest, BackupOfTheSameSecondCountsOnFromTheHighestName) {
  ASSERT_TRUE(CreateDirectoryA(backups().c_str(), nullptr));
  ASSERT_TRUE(write_file(backups() + kStamp + ".jar", "older backup"));
  ASSERT_TRUE(write_file(backups() + kStamp + "_3.jar", "older backup 3"));  // _2 was deleted
  const FileOutcome outcome = backup_client_jar(game_, kStamp, quick());
  ASSERT_TRUE(outcome.ok()) << failure_reason_text(outcome);
  EXPECT_EQ(outcome.path, backups() + kStamp + "_4.jar");
  EXPECT_EQ(read_file(outcome.path), kOld);
  EXPECT_EQ(read_file(backups() + kStamp + ".jar"), "older backup");
  EXPECT_EQ(read_file(backups() + kStamp + "_3.jar"), "older backup 3");
  EXPECT_EQ(list_folder(backups(), "*").size(), 3u) << "no intermediate copy is left";
}

TEST_F(InstallTest, CopiesNeverReplaceOrDeleteAFileTheyDidNotMake) {
  // Files of the user's own under every name an intermediate copy would take first.
  ASSERT_TRUE(CreateDirectoryA(backups().c_str(), nullptr));
  const std::vector<std::string> own = {backups() + "minecraft.jar",
                                        backups() + kStamp + ".jar.pelmora-neu",
                                        client_jar_staging_path(game_)};
  for (const std::string& path : own) ASSERT_TRUE(write_file(path, "mine"));
  const FileOutcome backup = backup_client_jar(game_, kStamp, quick());
  ASSERT_TRUE(backup.ok()) << failure_reason_text(backup);
  EXPECT_EQ(read_file(backup.path), kOld);
  ASSERT_TRUE(install_client_jar(source_, game_).ok());
  EXPECT_EQ(read_file(client()), kNew);
  // A spoiled source fails the check of the staged copy; only that copy goes again.
  ASSERT_TRUE(write_file(source_, "<html>"));
  EXPECT_EQ(install_client_jar(source_, game_).problem, FileProblem::not_a_jar);
  EXPECT_EQ(read_file(client()), kNew);
  for (const std::string& path : own) EXPECT_EQ(read_file(path), "mine") << path;
  EXPECT_EQ(list_folder(backups(), "*").size(), 3u);
  EXPECT_EQ(bin_files().size(), 3u) << "backup, minecraft.jar and the user's file only";
}

TEST_F(InstallTest, RestoreBacksUpTheClientJarOnlyWhenNoBackupHoldsIt) {
  ASSERT_TRUE(CreateDirectoryA(backups().c_str(), nullptr));
  const std::string older = backups() + "01_01_2013_10_00_00.jar";
  const std::string same_size = backups() + "01_01_2013_10_00_01.jar";
  std::string twin = kOld;
  twin[twin.size() / 2] ^= 1;  // as long as the client jar, other bytes
  ASSERT_TRUE(write_file(older, kNew));
  ASSERT_TRUE(write_file(same_size, twin));
  ASSERT_TRUE(SetFileAttributesA(older.c_str(), FILE_ATTRIBUTE_READONLY));
  RestoreResult result = restore_backup(older, game_, {older, same_size}, kStamp, quick());
  ASSERT_TRUE(result.outcome.ok()) << failure_reason_text(result.outcome);
  EXPECT_FALSE(read_only(client())) << "restored from a read-only backup";
  EXPECT_EQ(result.new_backup, backups() + kStamp + ".jar");
  EXPECT_EQ(read_file(result.new_backup), kOld);
  EXPECT_EQ(read_file(client()), kNew);
  EXPECT_EQ(read_file(older), kNew) << "the backup stays as it was";
  // Now the installed jar is the backup itself: nothing new is made.
  result =
      restore_backup(result.new_backup, game_, {older, same_size, result.new_backup}, "x", quick());
  ASSERT_TRUE(result.outcome.ok());
  EXPECT_EQ(result.new_backup, "");
  EXPECT_EQ(read_file(client()), kOld);
  EXPECT_EQ(list_folder(backups(), "*").size(), 3u);
}

TEST_F(InstallTest, BackupWithEveryNameTakenFailsAndKeepsEverything) {
  ASSERT_TRUE(CreateDirectoryA(backups().c_str(), nullptr));
  BackupSettings settings = quick();
  settings.max_names = 3;
  for (int i = 1; i <= 3; ++i) {
    ASSERT_TRUE(write_file(backup_name_path(game_, kStamp, i), "taken"));
  }
  const FileOutcome outcome = backup_client_jar(game_, kStamp, settings);
  EXPECT_EQ(outcome.problem, FileProblem::no_free_name);
  EXPECT_EQ(list_folder(backups(), "*").size(), 3u);
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(read_file(backup_name_path(game_, kStamp, i)), "taken");
  EXPECT_EQ(read_file(client()), kOld);
}

TEST_F(InstallTest, MissingFilesAreReportedNotCopied) {
  ASSERT_TRUE(DeleteFileA(source_.c_str()));
  FileOutcome outcome = install_client_jar(source_, game_);
  EXPECT_EQ(outcome.problem, FileProblem::not_found);
  EXPECT_EQ(outcome.path, source_);
  EXPECT_EQ(read_file(client()), kOld);
  EXPECT_EQ(bin_files(), std::vector<std::string>{"minecraft.jar"});

  ASSERT_TRUE(CreateDirectoryA(source_.c_str(), nullptr));
  EXPECT_EQ(install_client_jar(source_, game_).problem, FileProblem::not_a_file);

  ASSERT_TRUE(write_file(game_ + "bin\\backup", "a file, not the backup folder"));
  outcome = backup_client_jar(game_, kStamp, quick());
  EXPECT_EQ(outcome.problem, FileProblem::backup_folder_is_file);
  EXPECT_EQ(outcome.path, game_ + "bin\\backup");
  ASSERT_TRUE(DeleteFileA((game_ + "bin\\backup").c_str()));

  ASSERT_TRUE(DeleteFileA(client().c_str()));
  outcome = backup_client_jar(game_, kStamp, quick());
  EXPECT_EQ(outcome.problem, FileProblem::not_found);
  EXPECT_EQ(outcome.path, client());
  EXPECT_TRUE(list_folder(backups(), "*").empty());
}

TEST_F(InstallTest, ClientJarHeldByTheGameIsNeverLost) {
  // The copy of a read-only jar can be removed after the failed replacement all the same.
  ASSERT_TRUE(SetFileAttributesA(source_.c_str(), FILE_ATTRIBUTE_READONLY));
  e2e::FileHolder game_running(client());
  ASSERT_TRUE(game_running.ok());

  FileOutcome outcome = backup_client_jar(game_, kStamp, quick());
  EXPECT_EQ(outcome.problem, FileProblem::copy_failed);
  EXPECT_EQ(outcome.system_error, static_cast<uint32_t>(ERROR_SHARING_VIOLATION));
  EXPECT_TRUE(list_folder(backups(), "*").empty()) << "a failed backup leaves no file behind";

  outcome = install_client_jar(source_, game_);
  EXPECT_FALSE(outcome.ok());
  EXPECT_NE(outcome.system_error, 0u);
  EXPECT_EQ(outcome.path, client());
  game_running.release();
  EXPECT_EQ(read_file(client()), kOld);
  EXPECT_EQ(bin_files(), std::vector<std::string>{"minecraft.jar"}) << "no staging file is left";
}

TEST_F(InstallTest, ReadOnlyBinFolderFailsWithAccessDenied) {
  e2e::ReadOnlyFolder read_only(game_ + "bin\\");
  if (!read_only.ok()) GTEST_SKIP() << read_only.why();
  FileOutcome outcome = backup_client_jar(game_, kStamp, quick());
  EXPECT_FALSE(outcome.ok());
  outcome = install_client_jar(source_, game_);
  EXPECT_EQ(outcome.problem, FileProblem::copy_failed);
  EXPECT_EQ(outcome.system_error, static_cast<uint32_t>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(read_file(client()), kOld);
  EXPECT_EQ(bin_files(), std::vector<std::string>{"minecraft.jar"});
}

// A full disk: the copy beside the client jar fails part-way, and the client jar keeps its
// old content (copying straight over it would have truncated it).
TEST_F(InstallTest, FullDiskLeavesTheClientJarWhole) {
  const std::string small = scratch_.path() + "small\\";
  ASSERT_TRUE(CreateDirectoryA(small.c_str(), nullptr));
  const std::string unix = e2e::unix_path(scratch_.path() + "small");
  if (unix.empty()) GTEST_SKIP() << "not running under Wine";
  e2e::run_unix("mount -t tmpfs -o size=256k tmpfs '" + unix + "'");
  struct Unmount {
    std::string path;
    ~Unmount() { e2e::run_unix("mountpoint -q '" + path + "' && umount '" + path + "'"); }
  } unmount{unix};
  const std::string old_client(150 * 1024, 'o');
  const std::string big_source(200 * 1024, 'n');
  const std::string game = small + "game\\";
  ASSERT_TRUE(CreateDirectoryA(game.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((game + "bin").c_str(), nullptr));
  ASSERT_TRUE(write_file(game + "bin\\minecraft.jar", old_client));
  ASSERT_TRUE(write_file(source_, big_source));
  ULARGE_INTEGER free_bytes{};
  GetDiskFreeSpaceExA(game.c_str(), &free_bytes, nullptr, nullptr);
  if (free_bytes.QuadPart >= big_source.size())
    GTEST_SKIP() << "a small tmpfs is not permitted here";

  const FileOutcome outcome = install_client_jar(source_, game);
  EXPECT_EQ(outcome.problem, FileProblem::copy_failed);
  EXPECT_TRUE(outcome.system_error == ERROR_DISK_FULL ||
              outcome.system_error == ERROR_HANDLE_DISK_FULL)
      << outcome.system_error;
  EXPECT_EQ(read_file(game + "bin\\minecraft.jar"), old_client);
  EXPECT_EQ(list_folder(game + "bin\\", "*.*"), std::vector<std::string>{"minecraft.jar"});
}

}  // namespace
