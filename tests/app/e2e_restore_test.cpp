// End-to-end: restoring a backup from the system menu.
#include "e2e_fixture.h"

using namespace e2e_test;

TEST_F(PelmoraEndToEnd, RestoreWithoutBackupsSaysSo) {
  make_standard_layout();
  Pelmora p(root_);
  start(p, 3);
  // No backup folder at all, then one with files that are not backups.
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(p.system_command(kMenuRestore));
    expect_box(p, "Info", "Im Backup-Ordner liegt noch kein Backup.");
    EXPECT_FALSE(p.restore_window(300));
    EXPECT_TRUE(IsWindowEnabled(p.main_window()));
    ASSERT_TRUE(CreateDirectoryA(backups().c_str(), nullptr) || round == 1);
    for (const char* name :
         {"minecraft.jar", "notes.txt", "24_12_2012_18_05_09_1.jar", "24_12_2012_18_05_09_02.jar",
          "32_12_2012_18_05_09.jar", "24_12_12_18_05_09.jar"}) {
      ASSERT_TRUE(write_file(backups() + name, kJarA));
    }
    CreateDirectoryA((backups() + "01_01_2013_00_00_00.jar").c_str(), nullptr);
  }
  EXPECT_EQ(read_file(client()), kOldClient);
  close_and_expect_exit(p);
}

TEST_F(PelmoraEndToEnd, RestoreListsBackupsNewestFirstAndPutsOneBack) {
  make_standard_layout();
  ASSERT_TRUE(CreateDirectoryA(backups().c_str(), nullptr));
  const std::pair<const char*, std::string> files[] = {{"24_12_2012_18_05_09.jar", kJarA},
                                                       {"24_12_2012_18_05_09_2.jar", kJarB},
                                                       {"01_01_2013_00_00_00.jar", kOldClient},
                                                       {"23_12_2012_23_59_59.jar", kJarC}};
  for (const auto& f : files) ASSERT_TRUE(write_file(backups() + f.first, f.second));
  Pelmora p(root_);
  start(p, 3);
  ASSERT_TRUE(p.system_command(kMenuRestore));
  const HWND restore = p.restore_window();
  ASSERT_TRUE(restore);
  char title[64] = {};
  GetWindowTextA(restore, title, sizeof title);
  EXPECT_STREQ(title, "Backup wiederherstellen");
  EXPECT_EQ(GetWindow(restore, GW_OWNER), p.main_window());
  RECT outer, inner, main_outer;
  GetWindowRect(restore, &outer);
  GetClientRect(restore, &inner);
  GetWindowRect(p.main_window(), &main_outer);
  EXPECT_EQ(outer.left, main_outer.left);
  EXPECT_EQ(outer.top, main_outer.top);
  EXPECT_EQ(inner.right, 257);
  EXPECT_EQ(inner.bottom, 266);
  EXPECT_FALSE(IsWindowEnabled(p.main_window())) << "window 0 is disabled while window 1 is open";
  EXPECT_EQ(p.text(kRestore), "Wiederherstellen");
  EXPECT_EQ(p.text(kCancel), "Abbrechen");
  EXPECT_FALSE(p.enabled(kRestore)) << "disabled until a backup is chosen";
  const std::vector<std::string> shown = {"01.01.2013 00:00:00", "24.12.2012 18:05:09 (2)",
                                          "24.12.2012 18:05:09", "23.12.2012 23:59:59"};
  ASSERT_EQ(p.list_count(kBackupList), 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(p.list_item(i, kBackupList), shown[i]) << i;
  e2e::save_screenshot(restore, "restore-window");

  // The current jar is the backup of 01.01.2013: no second copy of it is made.
  ASSERT_TRUE(p.click_list_item(2, kBackupList));
  ASSERT_TRUE(e2e::wait_for([&] { return p.enabled(kRestore); }, 3000));
  ASSERT_EQ(p.list_selection(kBackupList), 2);
  ASSERT_TRUE(p.click_gadget(kRestore));
  expect_box(p, "Info", std::string("Das Backup vom 24.12.2012 18:05:09") + kRestored);
  EXPECT_TRUE(p.restore_window_gone());
  EXPECT_TRUE(IsWindowEnabled(p.main_window()));
  EXPECT_EQ(read_file(client()), kJarA);
  EXPECT_EQ(e2e::list_folder(backups(), "*").size(), 4u) << "no new backup, nothing left beside";
  for (const auto& f : files) EXPECT_EQ(read_file(backups() + f.first), f.second) << f.first;
  EXPECT_EQ(e2e::list_folder(game() + "bin\\", "*"),
            (std::vector<std::string>{"backup", "minecraft.jar"}));
  // The main window is as it was.
  for (int on : {kList, kConfirm, kBackup, kBackupText, kAbout, kMoreJars})
    EXPECT_TRUE(p.enabled(on)) << on;
  EXPECT_FALSE(p.enabled(kActivate));
  close_and_expect_exit(p);
}

TEST_F(PelmoraEndToEnd, RestoreAfterAnInstallBacksUpTheInstalledJarFirst) {
  make_standard_layout();
  Pelmora p(root_);
  start(p, 3);
  ASSERT_TRUE(p.click_gadget(kBackup));
  choose_and_confirm(p, 2);
  ASSERT_TRUE(p.click_gadget(kActivate));
  expect_box(p, "Info", kBackupDone);
  expect_box(p, "Info", kInstalled);
  const std::vector<std::string> first = e2e::list_folder(backups(), "*");
  ASSERT_EQ(first.size(), 1u);
  const std::string stamp = first[0].substr(0, 19);
  const std::string shown = stamp.substr(0, 2) + "." + stamp.substr(3, 2) + "." +
                            stamp.substr(6, 4) + " " + stamp.substr(11, 2) + ":" +
                            stamp.substr(14, 2) + ":" + stamp.substr(17, 2);

  ASSERT_TRUE(p.system_command(kMenuRestore));
  ASSERT_TRUE(p.restore_window());
  ASSERT_EQ(p.list_count(kBackupList), 1);
  EXPECT_EQ(p.list_item(0, kBackupList), shown);
  // The game holds the installed jar: it is backed up, under the run's stamp with the next
  // number, but not replaced, and the open list shows the new backup at once.
  const std::string made = stamp + "_2.jar";
  {
    e2e::FileHolder game_running(client(), /*game_sharing=*/true);
    ASSERT_TRUE(game_running.ok());
    ASSERT_TRUE(p.click_list_item(0, kBackupList, /*twice=*/true));
    EXPECT_TRUE(contains(error_box(p), "Das Backup liegt hier:\n" + backups() + made));
  }
  EXPECT_EQ(read_file(backups() + made), kJarC) << "the installed jar is kept as a backup";
  ASSERT_EQ(p.list_count(kBackupList), 2);
  EXPECT_EQ(p.list_item(0, kBackupList), shown + " (2)");
  // A double click restores at once; the installed jar is among the backups now.
  ASSERT_TRUE(p.click_list_item(1, kBackupList, /*twice=*/true));
  expect_box(p, "Info", "Das Backup vom " + shown + kRestored);
  EXPECT_TRUE(p.restore_window_gone());
  EXPECT_EQ(read_file(client()), kOldClient);
  EXPECT_EQ(e2e::list_folder(backups(), "*").size(), 2u);
  EXPECT_EQ(read_file(backups() + first[0]), kOldClient);
  // The main window stays installed.
  for (int off : {kList, kConfirm, kActivate, kBackup, kBackupText, kMoreJars})
    EXPECT_FALSE(p.enabled(off)) << off;
  EXPECT_TRUE(p.enabled(kAbout));
  close_and_expect_exit(p);
}

TEST_F(PelmoraEndToEnd, BackupThatIsNoJarIsNotRestored) {
  make_standard_layout();
  ASSERT_TRUE(CreateDirectoryA(backups().c_str(), nullptr));
  ASSERT_TRUE(write_file(backups() + "02_02_2013_10_00_00.jar", "<html>saved page</html>"));
  ASSERT_TRUE(write_file(backups() + "01_02_2013_10_00_00.jar", kJarA));
  Pelmora p(root_);
  start(p, 3);
  ASSERT_TRUE(p.system_command(kMenuRestore));
  ASSERT_TRUE(p.restore_window());
  // Chosen by messages, as the list would report a click.
  ASSERT_TRUE(p.select_list_item(0, kBackupList));
  ASSERT_TRUE(e2e::wait_for([&] { return p.enabled(kRestore); }, 3000));
  ASSERT_TRUE(p.click_gadget(kRestore));
  expect_box(p, "Fehler!",
             "Das Backup konnte nicht wiederhergestellt werden.\nDie Datei ist kein Zip-Archiv.\n" +
                 backups() +
                 "02_02_2013_10_00_00.jar\n\nDie bisherige minecraft.jar ist unver\xE4ndert.");
  EXPECT_TRUE(p.restore_window(100)) << "window 1 stays open after a failure";
  EXPECT_EQ(e2e::list_folder(backups(), "*").size(), 2u) << "nothing was backed up";
  EXPECT_EQ(read_file(client()), kOldClient);
  ASSERT_TRUE(p.click_gadget(kCancel));
  EXPECT_TRUE(p.restore_window_gone());
  EXPECT_TRUE(IsWindowEnabled(p.main_window()));
  EXPECT_EQ(read_file(client()), kOldClient);
  close_and_expect_exit(p);
}

TEST_F(PelmoraEndToEnd, RestoreByKeyboardFromTheSystemMenu) {
  make_standard_layout(/*with_client=*/false);
  ASSERT_TRUE(CreateDirectoryA(backups().c_str(), nullptr));
  ASSERT_TRUE(write_file(backups() + "01_02_2013_10_00_00.jar", kJarA));
  ASSERT_TRUE(write_file(backups() + "01_01_2013_10_00_00.jar", kOldClient));
  Pelmora p(root_);
  expect_box(p, "Fehler!", kGameJarMissing);
  start(p, 3);
  // Alt+Space opens the system menu, "w" chooses "Backup wiederherstellen...".
  ASSERT_TRUE(p.open_system_menu());
  ASSERT_TRUE(p.press_key('W'));
  ASSERT_TRUE(p.restore_window()) << "the system menu did not open window 1";
  ASSERT_TRUE(p.press_key(VK_ESCAPE));
  ASSERT_TRUE(p.restore_window_gone()) << "Escape closes window 1";
  EXPECT_FALSE(exists(client()));

  ASSERT_TRUE(p.open_system_menu());
  ASSERT_TRUE(p.press_key('W'));
  ASSERT_TRUE(p.restore_window());
  for (int tab = 0; tab < 4 && p.focus() != p.gadget(kBackupList); ++tab) p.press_key(VK_TAB);
  ASSERT_EQ(p.focus(), p.gadget(kBackupList)) << "Tab reaches the list";
  ASSERT_TRUE(p.press_key(VK_HOME));
  ASSERT_TRUE(e2e::wait_for([&] { return p.enabled(kRestore); }, 3000));
  ASSERT_TRUE(p.press_key(VK_TAB));
  ASSERT_EQ(p.focus(), p.gadget(kRestore));
  ASSERT_TRUE(p.press_key(VK_SPACE));
  expect_box(p, "Info", std::string("Das Backup vom 01.02.2013 10:00:00") + kRestored);
  EXPECT_TRUE(p.restore_window_gone());
  EXPECT_EQ(read_file(client()), kJarA);
  // The client jar missing at the start is there now, and with it the backup option.
  EXPECT_EQ(p.text(kBackupText), kBackupFolderText);
  EXPECT_TRUE(p.enabled(kBackup));
  close_and_expect_exit(p);
}
