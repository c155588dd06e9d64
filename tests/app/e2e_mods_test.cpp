// End-to-end: building jar mods into the client jar.
#include "e2e_fixture.h"

using namespace e2e_test;

TEST_F(PelmoraEndToEnd, ModsAreBuiltInInNameOrderWithABackupAndABrokenModChangesNothing) {
  make_standard_layout();
  const std::string signed_client = test_support::zip_archive(
      {{"META-INF/MOJANG_C.SF", "sig"}, {"a.class", "old a"}, {"b.class", "old b"}});
  ASSERT_TRUE(write_file(client(), signed_client));
  const std::string mods = root_ + "mods\\";
  Pelmora p(root_);
  start(p, 3);
  EXPECT_TRUE(exists(root_ + "mods")) << "the mods folder is made at start";
  ASSERT_TRUE(p.system_command(0x1130));
  expect_box(p, "Info", "Im Mods-Ordner liegt noch keine Mod.");
  EXPECT_FALSE(p.restore_window(300, 3));

  // A ".zip" dropped on window 0 goes into the mods folder.
  ASSERT_TRUE(write_file(root_ + "01 a.zip",
                         test_support::zip_archive({{"MINECRAFT-JAR/a.class", "1 a"},
                                                    {"MINECRAFT-JAR/c.class", "1 c"}})));
  ASSERT_TRUE(p.drop_files({root_ + "01 a.zip"}));
  expect_box(p, "Info", "1 Mod wurde in den Mods-Ordner kopiert.");
  ASSERT_TRUE(write_file(mods + "02 b.zip",
                         test_support::zip_archive({{"b.class", "2 b"}, {"c.class", "2 c"}})));
  ASSERT_TRUE(write_file(mods + "03 kaputt.zip", "<html>404</html>"));
  ASSERT_TRUE(p.click_gadget(kBackup));

  ASSERT_TRUE(p.system_command(0x1130));
  const HWND window = p.restore_window(15000, 3);
  ASSERT_TRUE(window);
  char title[64] = {};
  GetWindowTextA(window, title, sizeof title);
  EXPECT_STREQ(title, "Mods einbauen");
  EXPECT_EQ(GetWindow(window, GW_OWNER), p.main_window());
  EXPECT_FALSE(IsWindowEnabled(p.main_window()));
  EXPECT_EQ(p.text(40),
            "Diese Mods werden in dieser Reihenfolge eingebaut; bei gleichen Dateien gilt die "
            "sp\xE4tere:");
  EXPECT_EQ(p.text(42), "Einbauen");
  EXPECT_EQ(p.text(43), "Abbrechen");
  ASSERT_EQ(p.list_count(41), 3);
  EXPECT_EQ(p.list_item(2, 41), "03 kaputt.zip");
  e2e::save_screenshot(window, "mods-window");
  ASSERT_TRUE(p.click_gadget(42));
  const std::string refused = error_box(p);
  EXPECT_TRUE(contains(refused, "03 kaputt.zip ist kein g\xFCltiges Jar-Archiv.")) << refused;
  EXPECT_TRUE(p.restore_window(1000, 3)) << "window 3 stays open after a failure";
  EXPECT_EQ(read_file(client()), signed_client);
  EXPECT_EQ(e2e::list_folder(game() + "bin\\", "*"), (std::vector<std::string>{"minecraft.jar"}));
  ASSERT_TRUE(p.press_key(VK_ESCAPE));
  ASSERT_TRUE(p.restore_window_gone(5000, 3));

  ASSERT_TRUE(DeleteFileA((mods + "03 kaputt.zip").c_str()));
  ASSERT_TRUE(p.system_command(0x1130));
  ASSERT_TRUE(p.restore_window(15000, 3));
  ASSERT_TRUE(p.click_gadget(42));
  expect_box(p, "Info", kBackupDone);
  expect_box(p, "Info",
             "2 Mods wurden eingebaut!\n\n1 Datei kam in mehreren Mods vor; es gilt die "
             "sp\xE4tere.");
  EXPECT_TRUE(p.restore_window_gone(5000, 3));
  const std::string merged = read_file(client());
  for (const char* part : {"1 a", "2 b", "2 c"}) EXPECT_TRUE(contains(merged, part)) << part;
  for (const char* part : {"old a", "old b", "1 c", "MINECRAFT-JAR", "MOJANG_C"}) {
    EXPECT_FALSE(contains(merged, part)) << part;
  }
  const std::vector<std::string> kept = e2e::list_folder(backups(), "*.jar");
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(read_file(backups() + kept[0]), signed_client);
  EXPECT_EQ(e2e::list_folder(game() + "bin\\", "*"),
            (std::vector<std::string>{"backup", "minecraft.jar"}));
  EXPECT_FALSE(p.enabled(kActivate));
  close_and_expect_exit(p);
}
