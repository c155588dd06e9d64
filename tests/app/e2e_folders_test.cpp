// End-to-end: changing the game folder and opening the jar folder.
#include "e2e_fixture.h"

using namespace e2e_test;

TEST_F(PelmoraEndToEnd, ChangeGameFolderWritesPreferencesAtOnceAndChecksTheNewFolder) {
  make_standard_layout();
  const std::string prefs =
      "Version = 1.1\r\n; written by hand\r\n[Minecraft]\r\n.minecraft = " + game() +
      "\r\nother = x\r\n[Other]\r\nkey = value\r\n";
  ASSERT_TRUE(write_file(root_ + "pref.ini", prefs));
  DesktopFolder empty("pelmora-e2e-empty-" + std::to_string(GetCurrentProcessId()));
  DesktopFolder second("pelmora-e2e-second-" + std::to_string(GetCurrentProcessId()));
  ASSERT_TRUE(empty.ok() && second.ok());
  ASSERT_TRUE(CreateDirectoryA((second.path() + "bin").c_str(), nullptr));
  ASSERT_TRUE(write_file(second.path() + "bin\\minecraft.jar", kJarC));
  const auto prefs_with = [&](const std::string& folder) {
    std::string text = prefs;
    text.replace(text.find(game()), game().size(), folder);
    return text;
  };
  Pelmora p(root_);
  start(p, 3);
  const auto choose = [&](const DesktopFolder* folder) {
    ASSERT_TRUE(p.system_command(kMenuGameFolder));
    std::string title;
    const HWND chooser = p.wait_chooser(&title);
    ASSERT_TRUE(chooser);
    EXPECT_EQ(title, "Bitte w\xE4hlen sie ihren .minecraft Ordner!");
    if (!folder) {
      ASSERT_TRUE(p.chooser_click(chooser, IDCANCEL));
      return;
    }
    ASSERT_TRUE(p.chooser_select_desktop_folder(chooser, folder->name()));
    ASSERT_TRUE(p.chooser_click(chooser, IDOK));
  };
  // An install with a backup onto the client jar the game holds: copied, but not replaced.
  ASSERT_TRUE(p.click_gadget(kBackup));
  choose_and_confirm(p, 0);
  {
    e2e::FileHolder game_running(client(), /*game_sharing=*/true);
    ASSERT_TRUE(game_running.ok());
    ASSERT_TRUE(p.click_gadget(kActivate));
    expect_box(p, "Info", kBackupDone);
    EXPECT_TRUE(contains(error_box(p), "minecraft.jar konnte nicht installiert werden."));
  }
  // Another folder with its client jar: the tick and the confirmed jar stay.
  choose(&second);
  EXPECT_TRUE(p.no_box_for(300));
  EXPECT_EQ(p.check_state(kBackup), BST_CHECKED);
  EXPECT_TRUE(p.enabled(kActivate));
  // A folder without the client jar: reported, the box off and cleared, the file written at once.
  choose(&empty);
  expect_box(p, "Fehler!", kGameJarMissing);
  EXPECT_EQ(read_file(root_ + "pref.ini"), prefs_with(empty.path()));
  EXPECT_EQ(p.text(kBackupText), "Minecraft Jar nicht gefunden!");
  EXPECT_FALSE(p.enabled(kBackup));
  EXPECT_FALSE(p.enabled(kBackupText));
  EXPECT_EQ(p.check_state(kBackup), BST_UNCHECKED);
  // Cancel changes nothing.
  choose(nullptr);
  EXPECT_TRUE(p.no_box_for(300));
  EXPECT_EQ(read_file(root_ + "pref.ini"), prefs_with(empty.path()));
  // A folder with its client jar: the backup option is back.
  choose(&second);
  EXPECT_TRUE(p.no_box_for(300));
  EXPECT_EQ(read_file(root_ + "pref.ini"), prefs_with(second.path()));
  EXPECT_EQ(p.text(kBackupText), kBackupFolderText);
  EXPECT_TRUE(p.enabled(kBackup));
  EXPECT_TRUE(p.enabled(kBackupText));
  // Installing uses the new folder; after the install the option stays off whatever is chosen.
  ASSERT_TRUE(p.click_gadget(kBackup));
  ASSERT_TRUE(p.click_gadget(kActivate));
  expect_box(p, "Info", kBackupDone);
  expect_box(p, "Info", kInstalled);
  EXPECT_EQ(read_file(second.path() + "bin\\minecraft.jar"), kJarA);
  EXPECT_EQ(read_file(client()), kOldClient) << "the old game folder is left alone";
  EXPECT_EQ(e2e::list_folder(second.path() + "bin\\backup\\", "*").size(), 1u);
  choose(&second);
  EXPECT_TRUE(p.no_box_for(300));
  EXPECT_FALSE(p.enabled(kBackup));
  EXPECT_FALSE(p.enabled(kBackupText));
  close_and_expect_exit(p);
  EXPECT_EQ(read_file(root_ + "pref.ini"), prefs_with(second.path()));
}

TEST_F(PelmoraEndToEnd, UnwritablePreferencesKeepTheOldGameFolder) {
  make_standard_layout();
  const std::string prefs = read_file(root_ + "pref.ini");
  DesktopFolder other("pelmora-e2e-other-" + std::to_string(GetCurrentProcessId()));
  ASSERT_TRUE(other.ok());
  // The program's folder is read-only from the start: "pref.ini" is read, but a new game folder
  // cannot be written into it.
  e2e::ReadOnlyFolder read_only(root_);
  if (!read_only.ok()) GTEST_SKIP() << read_only.why();
  Pelmora p(root_);
  start(p, 3);
  ASSERT_TRUE(p.system_command(kMenuGameFolder));
  const HWND chooser = p.wait_chooser(nullptr);
  ASSERT_TRUE(chooser);
  ASSERT_TRUE(p.chooser_select_desktop_folder(chooser, other.name()));
  ASSERT_TRUE(p.chooser_click(chooser, IDOK));
  expect_box(
      p, "Fehler!",
      "Die Einstellungsdatei \"pref.ini\" konnte nicht geschrieben werden.\nZugriff verweigert:\n" +
          root_ + "pref.ini\n\nDer bisherige Minecraft-Ordner bleibt eingestellt.");
  EXPECT_EQ(read_file(root_ + "pref.ini"), prefs);
  EXPECT_TRUE(p.enabled(kBackup)) << "the old folder with its client jar stays in use";
  EXPECT_EQ(p.text(kBackupText), kBackupFolderText);
  close_and_expect_exit(p);
}

TEST_F(PelmoraEndToEnd, OpenJarFolderMakesItAndHandsItToTheFileManager) {
  make_standard_layout();
  const std::string record = root_ + "opened.txt";
  e2e::WebHandlerRecorder handler(record, "Folder");
  ASSERT_TRUE(handler.ok());
  Pelmora p(root_);
  start(p, 3);
  e2e::remove_tree(root_ + "jar\\");
  ASSERT_FALSE(exists(root_ + "jar"));
  ASSERT_TRUE(p.system_command(kMenuJarFolder));
  ASSERT_TRUE(e2e::wait_for([&] { return exists(record); }, 10000)) << "no file manager was asked";
  Sleep(200);
  const std::string opened = read_file(record);
  EXPECT_TRUE(contains(opened, "jar")) << opened;
  EXPECT_TRUE(exists(root_ + "jar"));
  EXPECT_TRUE(p.running()) << "the program goes on";
  close_and_expect_exit(p);
}
