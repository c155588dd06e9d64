// End-to-end: the jar check at confirming and activating, and held preferences.
#include "e2e_fixture.h"

using namespace e2e_test;

// The index of a name in the main window's list, -1 when it is not there.
int list_index(Pelmora& p, const std::string& name) {
  for (int i = 0; i < p.list_count(); ++i) {
    if (p.list_item(i) == name) return i;
  }
  return -1;
}

constexpr char kNotZip[] = "Die Datei ist kein Zip-Archiv.";
constexpr char kDamaged[] =
    "Das Archiv ist unvollst\xE4ndig oder besch\xE4"
    "digt.";
// The game never holds a jar of the jar folder: no hint that it may still be running.
constexpr char kHeld[] =
    "Die Datei konnte nicht gelesen werden. Die Datei wird von einem anderen Programm benutzt.";

TEST_F(PelmoraEndToEnd, ConfirmRefusesFilesThatAreNoJars) {
  make_standard_layout();
  ASSERT_TRUE(write_file(root_ + "jar\\page.jar", "<!DOCTYPE html><html>Not found</html>"));
  ASSERT_TRUE(write_file(root_ + "jar\\empty.jar", ""));
  ASSERT_TRUE(write_file(root_ + "jar\\cut.jar", kJarB.substr(0, kJarB.size() / 2)));
  ASSERT_TRUE(write_file(root_ + "jar\\held.jar", kJarA));
  e2e::FileHolder holder(root_ + "jar\\held.jar");
  ASSERT_TRUE(holder.ok());
  Pelmora p(root_);
  start(p, 7);
  const std::pair<const char*, const char*> refused[] = {
      {"page.jar", kNotZip}, {"empty.jar", kNotZip}, {"cut.jar", kDamaged}, {"held.jar", kHeld}};
  for (const auto& r : refused) {
    SCOPED_TRACE(r.first);
    const int index = list_index(p, r.first);
    ASSERT_NE(index, -1);
    ASSERT_TRUE(p.click_list_item(index));
    ASSERT_TRUE(p.click_gadget(kConfirm));
    expect_box(p, "Fehler!",
               std::string(r.first) + " ist kein g\xFCltiges Jar-Archiv.\n" + r.second +
                   "\n\nBitte w\xE4hlen sie eine andere Jar.");
    EXPECT_TRUE(p.enabled(kList));
    EXPECT_TRUE(p.enabled(kConfirm));
    EXPECT_FALSE(p.enabled(kActivate));
  }
  choose_and_confirm(p, list_index(p, "b.jar"));
  EXPECT_TRUE(p.no_box_for(300));
  close_and_expect_exit(p);
}

TEST_F(PelmoraEndToEnd, JarSpoiledAfterConfirmIsRefusedAtActivateAndNothingChanges) {
  make_standard_layout();
  const std::string source = root_ + "jar\\b.jar";
  Pelmora p(root_);
  start(p, 3);
  ASSERT_TRUE(p.click_gadget(kBackup));
  choose_and_confirm(p, 1);
  const std::string unchanged = "\n\nDie bisherige minecraft.jar ist unver\xE4ndert.";
  const std::string head = "minecraft.jar konnte nicht installiert werden.\n";
  struct Spoil {
    const char* what;
    std::string content;  // "" with missing: the file is deleted
    bool missing;
    std::string reason;
  };
  const Spoil spoils[] = {
      {"a web page", "<html>Not found</html>", false, kNotZip},
      {"cut short", kJarB.substr(0, kJarB.size() - 30), false, kDamaged},
      {"deleted", "", true, "Die Datei oder der Ordner wurde nicht gefunden:"},
  };
  for (const Spoil& spoil : spoils) {
    SCOPED_TRACE(spoil.what);
    if (spoil.missing) {
      ASSERT_TRUE(DeleteFileA(source.c_str()));
    } else {
      ASSERT_TRUE(write_file(source, spoil.content));
    }
    ASSERT_TRUE(p.click_gadget(kActivate));
    expect_box(p, "Fehler!", head + spoil.reason + "\n" + source + unchanged);
    EXPECT_TRUE(p.no_box_for(300)) << "no backup and no success message";
    EXPECT_FALSE(exists(backups()));
    EXPECT_EQ(read_file(client()), kOldClient);
    EXPECT_EQ(e2e::list_folder(game() + "bin\\", "*"), std::vector<std::string>{"minecraft.jar"});
    for (int on : {kActivate, kBackup, kBackupText, kMoreJars}) EXPECT_TRUE(p.enabled(on)) << on;
    EXPECT_EQ(p.check_state(kBackup), BST_CHECKED);
  }
  {
    ASSERT_TRUE(write_file(source, kJarB));
    e2e::FileHolder holder(source);
    ASSERT_TRUE(holder.ok());
    ASSERT_TRUE(p.click_gadget(kActivate));
    expect_box(p, "Fehler!", head + kHeld + "\n" + source + unchanged);
  }
  ASSERT_TRUE(p.click_gadget(kActivate));
  expect_box(p, "Info", kBackupDone);
  expect_box(p, "Info", kInstalled);
  EXPECT_EQ(read_file(client()), kJarB);
  close_and_expect_exit(p);
}

TEST_F(PelmoraEndToEnd, HeldPreferencesAreReportedAndKeptNotAFirstRun) {
  make_standard_layout();
  const std::string prefs = read_file(root_ + "pref.ini");
  {
    e2e::FileHolder other_program(root_ + "pref.ini");
    ASSERT_TRUE(other_program.ok());
    Pelmora p(root_);
    ASSERT_TRUE(p.started());
    expect_box(p, "Fehler!",
               "Die Einstellungsdatei \"pref.ini\" konnte nicht ge\xF6"
               "ffnet werden.\n"
               "Die Datei wird von einem anderen Programm benutzt:\n" +
                   root_ +
                   "pref.ini\n\nDie Datei bleibt unver\xE4ndert. Bitte schlie\xDF"
                   "en sie "
                   "das Programm, das sie benutzt, und starten sie Pelmora erneut.");
    EXPECT_EQ(p.wait_exit(), 1);
    EXPECT_FALSE(p.wait_chooser(nullptr, 100)) << "a held pref.ini is not a first run";
  }
  EXPECT_EQ(read_file(root_ + "pref.ini"), prefs);
}
