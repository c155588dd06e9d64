// End-to-end: installs with and without a backup, jar names, installs that fail safely.
#include "e2e_fixture.h"

using namespace e2e_test;

TEST_F(PelmoraEndToEnd, InstallWithoutBackup) {
  make_standard_layout();
  Pelmora p(root_);
  start(p, 3);
  choose_and_confirm(p, 1);
  EXPECT_FALSE(p.enabled(kList));
  EXPECT_FALSE(p.enabled(kConfirm));
  EXPECT_TRUE(p.enabled(kActivate));
  EXPECT_TRUE(p.enabled(kMoreJars));
  e2e::save_screenshot(p.main_window(), "main-window-confirmed");

  ASSERT_TRUE(p.click_gadget(kActivate));
  expect_box(p, "Info", kInstalled);
  EXPECT_EQ(read_file(client()), kJarB);
  EXPECT_FALSE(exists(backups())) << "no backup folder without the check box";
  EXPECT_EQ(e2e::list_folder(game() + "bin\\", "*"), std::vector<std::string>{"minecraft.jar"});
  for (int off : {kList, kConfirm, kActivate, kBackup, kBackupText, kMoreJars}) {
    EXPECT_FALSE(p.enabled(off)) << off;
  }
  EXPECT_TRUE(p.enabled(kAbout));
  e2e::save_screenshot(p.main_window(), "main-window-installed");
  close_and_expect_exit(p);
}

TEST_F(PelmoraEndToEnd, InstallWithBackupNamedAfterTheStartTime) {
  make_standard_layout();
  // Copies that a killed run left, read-only ones too, go at the start; a file of the user's own
  // whose name only looks alike stays.
  ASSERT_TRUE(CreateDirectoryA(backups().c_str(), nullptr));
  for (const std::string& left : {client() + ".pelmora-neu", root_ + "jar\\a.jar.pelmora-neu-2",
                                  backups() + "01_01_2013_10_00_00.jar.pelmora-neu"}) {
    ASSERT_TRUE(write_file(left, "partial"));
    ASSERT_TRUE(SetFileAttributesA(left.c_str(), FILE_ATTRIBUTE_READONLY));
  }
  ASSERT_TRUE(write_file(root_ + "jar\\notes.pelmora-neu", "mine"));
  const SYSTEMTIME before = e2e::local_now();
  Pelmora p(root_);
  start(p, 3);
  const SYSTEMTIME after = e2e::local_now();
  ASSERT_TRUE(p.click_gadget(kBackup));
  ASSERT_EQ(p.check_state(kBackup), BST_CHECKED);
  choose_and_confirm(p, 2);
  ASSERT_TRUE(p.click_gadget(kActivate));
  expect_box(p, "Info", kBackupDone);
  expect_box(p, "Info", kInstalled);

  const std::vector<std::string> made = e2e::list_folder(backups(), "*");
  ASSERT_EQ(made.size(), 1u) << "exactly one backup, no intermediate copy";
  const std::vector<std::string> stamps = e2e::stamps_between(before, after);
  EXPECT_TRUE(std::find(stamps.begin(), stamps.end(), made[0].substr(0, made[0].size() - 4)) !=
              stamps.end())
      << made[0] << " is not named after the start-up time";
  EXPECT_EQ(made[0].substr(made[0].size() - 4), ".jar");
  EXPECT_EQ(read_file(backups() + made[0]), kOldClient);
  EXPECT_EQ(read_file(client()), kJarC);
  EXPECT_TRUE(e2e::list_folder(game() + "bin\\", "*.pelmora-neu*").empty());
  EXPECT_EQ(e2e::list_folder(root_ + "jar\\", "*.pelmora-neu*"),
            std::vector<std::string>{"notes.pelmora-neu"});
  for (int off : {kActivate, kBackup, kBackupText, kMoreJars}) EXPECT_FALSE(p.enabled(off)) << off;
  close_and_expect_exit(p);
}

TEST_F(PelmoraEndToEnd, BackupNameCollisionKeepsBothBackups) {
  make_standard_layout();
  ASSERT_TRUE(CreateDirectoryA(backups().c_str(), nullptr));
  // An older backup for every second in which this run may start.
  const SYSTEMTIME now = e2e::local_now();
  const std::vector<std::string> taken = e2e::stamps_between(now, e2e::add_seconds(now, 20));
  for (const std::string& stamp : taken) {
    ASSERT_TRUE(write_file(backups() + stamp + ".jar", "older backup " + stamp));
  }
  Pelmora p(root_);
  start(p, 3);
  ASSERT_TRUE(p.click_gadget(kBackup));
  choose_and_confirm(p, 0);
  ASSERT_TRUE(p.click_gadget(kActivate));
  expect_box(p, "Info", kBackupDone);
  expect_box(p, "Info", kInstalled);
  EXPECT_EQ(read_file(client()), kJarA);
  for (const std::string& stamp : taken) {
    EXPECT_EQ(read_file(backups() + stamp + ".jar"), "older backup " + stamp);
  }
  const std::vector<std::string> made = e2e::list_folder(backups(), "*_2.jar");
  ASSERT_EQ(made.size(), 1u) << "the new backup takes the name with \"_2\"";
  EXPECT_EQ(read_file(backups() + made[0]), kOldClient);
  EXPECT_FALSE(exists(backups() + "minecraft.jar"));
  close_and_expect_exit(p);
}

TEST_F(PelmoraEndToEnd, JarNameWithAnUmlautIsListedAndInstalled) {
  if (GetACP() != 1252) GTEST_SKIP() << "the ANSI code page is " << GetACP() << ", not 1252";
  make_standard_layout();
  const std::string name =
      "\xDC"
      "bermod.jar";  // "Übermod.jar" in Windows-1252
  ASSERT_TRUE(write_file(root_ + "jar\\" + name, jar("umlaut jar")));
  Pelmora p(root_);
  start(p, 4);
  const int count = p.list_count();
  int index = -1;
  for (int i = 0; i < count; ++i) {
    if (p.list_item(i) == name) index = i;
  }
  ASSERT_NE(index, -1) << "the umlaut name is not in the list";
  choose_and_confirm(p, index);
  ASSERT_TRUE(p.click_gadget(kActivate));
  expect_box(p, "Info", kInstalled);
  EXPECT_EQ(read_file(client()), jar("umlaut jar"));
  close_and_expect_exit(p);
}

TEST_F(PelmoraEndToEnd, TenThousandJarsAreListedInListingOrder) {
  make_standard_layout();
  // Created in an order different from their names' order.
  for (int i = 0; i < 10000; ++i) {
    const int n = (i * 7919) % 10000;
    char name[32];
    wsprintfA(name, "mod-%05d.jar", n);
    ASSERT_TRUE(write_file(root_ + "jar\\" + name, ""));
  }
  const std::vector<std::string> listing = e2e::list_folder(root_ + "jar\\", "*.jar");
  ASSERT_EQ(listing.size(), 10003u);
  Pelmora p(root_);
  start(p, 10003);
  ASSERT_EQ(p.list_count(), 10003);
  // Reading every item across processes takes minutes under Wine: both ends and a spread of
  // items in between are read.
  for (int i = 0; i < 10003; i += (i < 50 || i > 9950) ? 1 : 97) {
    ASSERT_EQ(p.list_item(i), listing[static_cast<size_t>(i)]) << "item " << i;
  }
  close_and_expect_exit(p);
}

TEST_F(PelmoraEndToEnd, LockedClientJarBlocksTheBackupUntilReleased) {
  make_standard_layout();
  // A file of the user's own in the backup folder, under the name the old copy step used.
  ASSERT_TRUE(CreateDirectoryA(backups().c_str(), nullptr));
  ASSERT_TRUE(write_file(backups() + "minecraft.jar", "the user's own file"));
  Pelmora p(root_);
  start(p, 3);
  ASSERT_TRUE(p.click_gadget(kBackup));
  choose_and_confirm(p, 1);
  {
    e2e::FileHolder game_running(client());
    ASSERT_TRUE(game_running.ok());
    ASSERT_TRUE(p.click_gadget(kActivate));
    // The message names the file that failed: the client jar the game holds.
    EXPECT_EQ(error_box(p),
              "Das Backup konnte nicht erstellt werden.\n"
              "Die Datei wird von einem anderen Programm benutzt (l\xE4uft Minecraft noch?):\n" +
                  client() +
                  "\n\nEs wurde nichts ver\xE4ndert. Sie k\xF6nnen es erneut versuchen.");
    EXPECT_TRUE(p.no_box_for(500)) << "no success message after a failed backup";
    // Nothing changed and the user may try again.
    EXPECT_TRUE(p.enabled(kActivate));
    EXPECT_TRUE(p.enabled(kBackup));
    EXPECT_TRUE(p.enabled(kMoreJars));
    EXPECT_EQ(e2e::list_folder(backups(), "*"), std::vector<std::string>{"minecraft.jar"});
    EXPECT_EQ(read_file(backups() + "minecraft.jar"), "the user's own file");
  }
  EXPECT_EQ(read_file(client()), kOldClient);
  ASSERT_TRUE(p.click_gadget(kActivate));
  expect_box(p, "Info", kBackupDone);
  expect_box(p, "Info", kInstalled);
  EXPECT_EQ(read_file(client()), kJarB);
  EXPECT_EQ(read_file(backups() + "minecraft.jar"), "the user's own file");
  const std::vector<std::string> made = e2e::list_folder(backups(), "??_*.jar");
  ASSERT_EQ(made.size(), 1u);
  EXPECT_EQ(read_file(backups() + made[0]), kOldClient);
  EXPECT_EQ(e2e::list_folder(backups(), "*").size(), 2u) << "no copy is left beside the backup";
  close_and_expect_exit(p);
}

TEST_F(PelmoraEndToEnd, LockedClientJarFailsTheInstallAndTheRetryMayIncludeABackup) {
  make_standard_layout();
  Pelmora p(root_);
  start(p, 3);
  choose_and_confirm(p, 0);
  {
    e2e::FileHolder game_running(client());
    ASSERT_TRUE(game_running.ok());
    ASSERT_TRUE(p.click_gadget(kActivate));
    const std::string text = error_box(p);
    EXPECT_TRUE(contains(text, "minecraft.jar konnte nicht installiert werden.")) << text;
    EXPECT_TRUE(p.no_box_for(500));
  }
  EXPECT_EQ(read_file(client()), kOldClient);
  EXPECT_EQ(e2e::list_folder(game() + "bin\\", "*"), std::vector<std::string>{"minecraft.jar"});
  // The failed install changed nothing: the gadgets are as before the click.
  for (int on : {kActivate, kBackup, kBackupText, kMoreJars}) EXPECT_TRUE(p.enabled(on)) << on;
  ASSERT_TRUE(p.click_gadget(kBackup));
  ASSERT_EQ(p.check_state(kBackup), BST_CHECKED);
  ASSERT_TRUE(p.click_gadget(kActivate));
  expect_box(p, "Info", kBackupDone);
  expect_box(p, "Info", kInstalled);
  EXPECT_EQ(read_file(client()), kJarA);
  const std::vector<std::string> made = e2e::list_folder(backups(), "*");
  ASSERT_EQ(made.size(), 1u);
  EXPECT_EQ(read_file(backups() + made[0]), kOldClient);
  close_and_expect_exit(p);
}

TEST_F(PelmoraEndToEnd, ReadOnlyBinFolderFailsBackupAndInstallSafely) {
  make_standard_layout();
  e2e::ReadOnlyFolder read_only(game() + "bin\\");
  if (!read_only.ok()) GTEST_SKIP() << read_only.why();
  Pelmora p(root_);
  start(p, 3);
  ASSERT_TRUE(p.click_gadget(kBackup));
  choose_and_confirm(p, 1);
  ASSERT_TRUE(p.click_gadget(kActivate));
  std::string text = error_box(p);
  EXPECT_TRUE(contains(text, "Das Backup konnte nicht erstellt werden.")) << text;
  EXPECT_TRUE(p.no_box_for(300));
  // Without the backup the install itself fails, and says why.
  ASSERT_TRUE(p.click_gadget(kBackup));
  ASSERT_EQ(p.check_state(kBackup), BST_UNCHECKED);
  ASSERT_TRUE(p.click_gadget(kActivate));
  text = error_box(p);
  EXPECT_TRUE(contains(text, "minecraft.jar konnte nicht installiert werden.")) << text;
  EXPECT_TRUE(contains(text, "Zugriff verweigert")) << text;
  EXPECT_TRUE(p.no_box_for(300));
  EXPECT_EQ(read_file(client()), kOldClient);
  close_and_expect_exit(p);
}

TEST_F(PelmoraEndToEnd, ReadOnlyCurrentFolderOnFirstRunEndsWithAnError) {
  e2e::ReadOnlyFolder read_only(root_);
  if (!read_only.ok()) GTEST_SKIP() << read_only.why();
  Pelmora p(root_);
  ASSERT_TRUE(p.started());
  const std::string text = error_box(p);
  EXPECT_TRUE(contains(text, "pref.ini")) << text;
  EXPECT_FALSE(p.wait_chooser(nullptr, 300)) << "no folder chooser when nothing can be saved";
  const int code = p.wait_exit();
  EXPECT_NE(code, 0);
  EXPECT_NE(code, -1) << "the program did not end";
}

TEST_F(PelmoraEndToEnd, MainWindowThatCannotOpenEndsWithAnError) {
  make_standard_layout();
  // A global hook that refuses to create "WindowClass_0" in every process of the desktop.
  const HMODULE veto = LoadLibraryA(e2e::helper_exe("window_veto.dll").c_str());
  ASSERT_TRUE(veto);
  const auto proc =
      reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(veto, "veto_main_window")));
  ASSERT_TRUE(proc);
  const HHOOK hook = SetWindowsHookExA(WH_CBT, proc, veto, 0);
  if (!hook) {
    FreeLibrary(veto);
    GTEST_SKIP() << "global hooks are not available here";
  }
  std::string text;
  int code = -1;
  {
    Pelmora p(root_);
    ASSERT_TRUE(p.started());
    text = error_box(p);
    code = p.wait_exit();
    EXPECT_FALSE(p.main_window(100));
  }
  UnhookWindowsHookEx(hook);
  FreeLibrary(veto);
  EXPECT_EQ(text,
            "Das Programmfenster konnte nicht ge\xF6"
            "ffnet werden.");
  EXPECT_EQ(code, 2);
}
