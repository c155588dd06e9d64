// A full disk under the real program: the game folder lies on a 256 KiB tmpfs that holds the
// client jar with little room to spare. A backup and then an install fail with the full-disk
// reason, and the client jar stays whole. Needs the right to mount (tests and CI run as root);
// skips itself otherwise.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/e2e_driver.h"
#include "clicks.h"
#include "support/scratch_folder_win.h"
#include "support/zip_writer.h"

namespace {

constexpr int kActivate = 2, kConfirm = 5, kBackup = 6;

struct Unmount {
  std::string unix;
  ~Unmount() { e2e::run_unix("mountpoint -q '" + unix + "' && umount '" + unix + "'"); }
};

// Clicks "Aktivieren" until a box shows, answers it and returns its text.
std::string error_after_activate(e2e::Pelmora& p) {
  e2e::Box box;
  if (!soak::click_for_box(p, kActivate, &box)) return "<no box>";
  EXPECT_EQ(box.title, "Fehler!");
  p.answer(box);
  return box.text;
}

TEST(DiskFull, BackupAndInstallFailAndKeepTheClientJar) {
  test_support::ScratchFolder scratch;
  ASSERT_TRUE(scratch.ok());
  const std::string root = scratch.path();
  const std::string game = root + "game\\";
  ASSERT_TRUE(CreateDirectoryA(game.c_str(), nullptr));
  const std::string unix = e2e::unix_path(root + "game");
  if (unix.empty()) GTEST_SKIP() << "not running under Wine";
  e2e::run_unix("mount -t tmpfs -o size=256k tmpfs '" + unix + "'");
  const Unmount unmount{unix};

  const std::string old_client(150 * 1024, 'o');
  const std::string chosen = test_support::zip_archive({{"big", std::string(200 * 1024, 'n')}});
  const std::string client = game + "bin\\minecraft.jar";
  ASSERT_TRUE(CreateDirectoryA((game + "bin").c_str(), nullptr));
  ASSERT_TRUE(e2e::write_file(client, old_client));
  ULARGE_INTEGER free_bytes{};
  GetDiskFreeSpaceExA(game.c_str(), &free_bytes, nullptr, nullptr);
  if (free_bytes.QuadPart >= old_client.size())
    GTEST_SKIP() << "a small tmpfs cannot be mounted here";
  ASSERT_TRUE(CreateDirectoryA((root + "jar").c_str(), nullptr));
  ASSERT_TRUE(e2e::write_file(root + "jar\\big.jar", chosen));
  ASSERT_TRUE(e2e::write_file(root + "pref.ini",
                              "Version = 1.1\r\n[Minecraft]\r\n.minecraft = " + game + "\r\n"));

  e2e::Pelmora p(root);
  ASSERT_TRUE(p.main_window());
  ASSERT_TRUE(p.wait_list_filled(1));
  ASSERT_TRUE(soak::click_until(p, kBackup, [&] { return p.check_state(kBackup) == BST_CHECKED; }));
  ASSERT_TRUE(soak::select_item(p, 0));
  ASSERT_TRUE(soak::click_until(p, kConfirm, [&] { return p.enabled(kActivate); }));
  // The message names the backup that could not be written.
  const std::string backup_error = error_after_activate(p);
  const std::string head =
      "Das Backup konnte nicht erstellt werden.\nDer Datentr\xE4ger ist voll:\n" + game +
      "bin\\backup\\";
  const std::string tail =
      ".jar\n\nEs wurde nichts ver\xE4ndert. Sie k\xF6nnen es erneut versuchen.";
  EXPECT_EQ(backup_error.substr(0, head.size()), head) << backup_error;
  EXPECT_TRUE(backup_error.size() > head.size() + tail.size() &&
              backup_error.compare(backup_error.size() - tail.size(), tail.size(), tail) == 0)
      << backup_error;
  EXPECT_TRUE(p.no_box_for(300));
  EXPECT_EQ(e2e::read_file(client), old_client);
  EXPECT_EQ(e2e::list_folder(game + "bin\\", "*"), std::vector<std::string>{"minecraft.jar"})
      << "no backup folder or partial copy is left";

  ASSERT_TRUE(
      soak::click_until(p, kBackup, [&] { return p.check_state(kBackup) == BST_UNCHECKED; }));
  EXPECT_EQ(error_after_activate(p),
            "minecraft.jar konnte nicht installiert werden.\nDer Datentr\xE4ger ist voll:\n" +
                client + "\n\nDie bisherige minecraft.jar ist unver\xE4ndert.");
  EXPECT_TRUE(p.no_box_for(300));
  EXPECT_EQ(e2e::read_file(client), old_client);
  EXPECT_EQ(e2e::list_folder(game + "bin\\", "*"), std::vector<std::string>{"minecraft.jar"})
      << "no staging file is left";
  EXPECT_TRUE(p.enabled(kActivate)) << "the user may try again";
  EXPECT_EQ(soak::close_program(p), 0);
}

}  // namespace
