// The application's platform-free logic: paths, backup names, the jar-name table and the
// German texts as Windows-1252 bytes.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "app/install.h"
#include "app/paths.h"
#include "app/texts.h"
#include "app/versions.h"

namespace {

TEST(AppPaths, GamePathsAreJoinedWithoutAddingSeparators) {
  const std::string g = "C:\\games\\.minecraft\\";
  EXPECT_EQ(client_jar_path(g), "C:\\games\\.minecraft\\bin\\minecraft.jar");
  EXPECT_EQ(backup_folder_path(g), "C:\\games\\.minecraft\\bin\\backup\\");
  EXPECT_EQ(install_source_path("D:\\tools\\", "mod.jar"), "D:\\tools\\jar\\mod.jar");
  // A game folder without its trailing separator is joined as written.
  EXPECT_EQ(client_jar_path("C:\\games\\.minecraft"), "C:\\games\\.minecraftbin\\minecraft.jar");
  // An empty game folder leaves the paths relative to the current directory.
  EXPECT_EQ(client_jar_path(""), "bin\\minecraft.jar");
  // The staging file lies beside the client jar, so that replacing it is one rename.
  EXPECT_EQ(client_jar_staging_path(g).rfind(client_jar_path(g), 0), 0u);
  EXPECT_NE(client_jar_staging_path(g), client_jar_path(g));
}

// Only the names the program stages under are taken for a killed run's leftovers.
TEST(AppPaths, StagingNamesAreTheProgramsOwnOnly) {
  const std::pair<const char*, const char*> names[] = {
      {"minecraft.jar.pelmora-neu", "minecraft.jar"},
      {"24_12_2012_18_05_09_2.jar.pelmora-neu-100", "24_12_2012_18_05_09_2.jar"},
      {"a.jar.pelmora-neu-2", "a.jar"},
      {"pref.ini.pelmora-neu-17", "pref.ini"},
      {".pelmora-neu", ""},
      {"a.jar.pelmora-neu-1", ""},
      {"a.jar.pelmora-neu-02", ""},
      {"a.jar.pelmora-neu-101", ""},
      {"a.jar.pelmora-neu-2x", ""},
      {"a.jar.pelmora-neu.txt", ""},
      {"a.jar", ""}};
  for (const auto& n : names) EXPECT_EQ(staging_target_name(n.first), n.second) << n.first;
  const std::vector<StagingFolder> folders = staging_folders("G\\", "C\\");
  // Each folder with a name the program stages there and one it does not.
  const struct {
    const char* path;
    const char* taken;
    const char* left;
  } expected[] = {{"G\\bin\\", "minecraft.jar", "other.jar"},
                  {"G\\bin\\backup\\", "24_12_2012_18_05_09.jar", "minecraft.jar"},
                  {"G\\", "launcher_profiles.json", "options.json"},
                  {"C\\jar\\", "x.JAR", "x.txt"},
                  {"C\\mods\\", "01 Mod.zip", "readme.txt"},
                  {"C\\", "pref.ini", "a.jar"}};
  ASSERT_EQ(folders.size(), std::size(expected));
  for (size_t i = 0; i < folders.size(); ++i) {
    EXPECT_EQ(folders[i].path, expected[i].path);
    EXPECT_TRUE(folders[i].is_target(expected[i].taken)) << expected[i].taken;
    EXPECT_FALSE(folders[i].is_target(expected[i].left)) << expected[i].left;
  }
  EXPECT_TRUE(is_version_file_name("mod-pelmora.json"));
  EXPECT_TRUE(is_version_file_name("pelmora.ini"));
  EXPECT_FALSE(is_version_file_name("options.txt"));
}

TEST(AppPaths, BackupNamesCountUpForRunsOfTheSameSecond) {
  const std::string g = "G\\";
  EXPECT_EQ(backup_name_path(g, "24_12_2012_18_05_09", 1),
            "G\\bin\\backup\\24_12_2012_18_05_09.jar");
  EXPECT_EQ(backup_name_path(g, "24_12_2012_18_05_09", 2),
            "G\\bin\\backup\\24_12_2012_18_05_09_2.jar");
  EXPECT_EQ(backup_name_path(g, "24_12_2012_18_05_09", 17),
            "G\\bin\\backup\\24_12_2012_18_05_09_17.jar");
  // A new backup counts on from the highest of its stamp; other names do not count.
  const std::string s = "24_12_2012_18_05_09";
  EXPECT_EQ(next_backup_number({}, s), 1);
  EXPECT_EQ(next_backup_number({"24_12_2012_18_05_10.jar", s + "_2x.jar", s + ".jar.x"}, s), 1);
  EXPECT_EQ(next_backup_number({s + "_3.JAR", s + ".jar", s + "_10.jar.pelmora-neu"}, s), 4);
}

TEST(AppPaths, BackupNamesAreRecognisedSortedAndShown) {
  const char* not_backups[] = {"minecraft.jar",
                               "24_12_2012_18_05_09",
                               "24_12_2012_18_05_09.zip",
                               "24_12_2012_18_05_09_1.jar",
                               "24_12_2012_18_05_09_02.jar",
                               "24_12_2012_18_05_09_.jar",
                               "32_12_2012_18_05_09.jar",
                               "24_13_2012_18_05_09.jar",
                               "24_12_2012_24_05_09.jar",
                               "24_12_12_18_05_09.jar",
                               "24-12-2012_18_05_09.jar",
                               "24_12_2012_18_05_09_2x.jar",
                               "x24_12_2012_18_05_09.jar"};
  BackupName b;
  for (const char* name : not_backups) EXPECT_FALSE(parse_backup_name(name, &b)) << name;
  std::vector<BackupName> list;
  for (const char* name :
       {"24_12_2012_18_05_09.jar", "01_01_2013_00_00_00.JAR", "24_12_2012_18_05_09_2.jar",
        "24_12_2012_18_05_09_10.jar", "23_12_2012_23_59_59.jar"}) {
    ASSERT_TRUE(parse_backup_name(name, &b)) << name;
    list.push_back(b);
  }
  sort_newest_first(&list);
  std::vector<std::string> shown;
  for (const BackupName& backup : list) shown.push_back(backup_shown_text(backup));
  EXPECT_EQ(shown, (std::vector<std::string>{"01.01.2013 00:00:00", "24.12.2012 18:05:09 (10)",
                                             "24.12.2012 18:05:09 (2)", "24.12.2012 18:05:09",
                                             "23.12.2012 23:59:59"}));
  EXPECT_EQ(list[1].file, "24_12_2012_18_05_09_10.jar");
}

TEST(AppPaths, BackupsOfVersionsAreSortedAcrossVersions) {
  // Across versions newest first; one second's backups by number, then by id.
  std::vector<VersionBackup> list;
  const std::pair<const char*, const char*> files[] = {{"b", "24_12_2012_18_05_09.jar"},
                                                       {"a", "24_12_2012_18_05_09.jar"},
                                                       {"b", "01_01_2013_00_00_00.jar"},
                                                       {"a", "24_12_2012_18_05_09_2.jar"}};
  for (const auto& [id, file] : files) {
    list.push_back({id, {}});
    ASSERT_TRUE(parse_backup_name(file, &list.back().name));
  }
  sort_version_backups(&list);
  std::vector<std::string> shown;
  for (const VersionBackup& backup : list) {
    shown.push_back(version_backup_shown_text(backup.id, backup.name));
  }
  EXPECT_EQ(shown, (std::vector<std::string>{"b: 01.01.2013 00:00:00", "a: 24.12.2012 18:05:09 (2)",
                                             "a: 24.12.2012 18:05:09", "b: 24.12.2012 18:05:09"}));
}

TEST(JarNamesTable, KeepsListingOrderAndEndsAtTheFirstEmptySlot) {
  JarNames names;
  EXPECT_EQ(names[0], "");
  EXPECT_TRUE(names.add("b.jar"));
  EXPECT_TRUE(names.add("a.jar"));
  EXPECT_FALSE(names.add("")) << "an empty name would end the list early";
  EXPECT_EQ(names.count(), 2u);
  EXPECT_EQ(names[0], "b.jar");
  EXPECT_EQ(names[1], "a.jar");
  EXPECT_EQ(names[2], "");
  EXPECT_EQ(names[JarNames::kSlots + 5], "");
}

TEST(JarNamesTable, IgnoresNamesBeyondOneMillion) {
  JarNames names;
  for (size_t i = 0; i < JarNames::kCapacity; ++i) ASSERT_TRUE(names.add("x.jar"));
  EXPECT_FALSE(names.add("one-too-many.jar"));
  EXPECT_EQ(names.count(), 1000000u);
  EXPECT_EQ(names[999999], "x.jar");
  EXPECT_EQ(names[1000000], "") << "the last slot stays empty and ends the list";
}

// Every user text must be Windows-1252: ASCII plus the German letters as single bytes, never
// a UTF-8 sequence.
TEST(AppTexts, UmlautsAreSingleWindows1252Bytes) {
  EXPECT_EQ(std::string(texts::kFrameJar), std::string("JAR ausw") + '\xE4' + "hlen");
  EXPECT_EQ(std::string(texts::kChooseGameFolder),
            std::string("Bitte w") + '\xE4' + "hlen sie ihren .minecraft Ordner!");
  // An escape followed by a hex digit must not swallow it ("ge" F6 "ffnet").
  EXPECT_NE(std::string(texts::kWindowNotOpened).find(std::string("ge") + '\xF6' + "ffnet"),
            std::string::npos);
  const char* all[] = {texts::kWindowTitle,       texts::kFrameJar,
                       texts::kFrameOptions,      texts::kButtonActivate,
                       texts::kButtonConfirm,     texts::kCheckBackup,
                       texts::kTextBackupFolder,  texts::kButtonAbout,
                       texts::kButtonMoreJars,    texts::kNoJarFound,
                       texts::kTitleInfo,         texts::kTitleError,
                       texts::kTitleAbout,        texts::kChooseGameFolder,
                       texts::kGameJarMissing,    texts::kAbout,
                       texts::kPrefsNotCreatable, texts::kWindowNotOpened,
                       texts::kBackupDone,        texts::kInstalled,
                       texts::kBackupFailed,      texts::kNothingChanged,
                       texts::kInstallFailed,     texts::kClientJarUnchanged,
                       texts::kBackupLocation,    texts::kReasonNotFound,
                       texts::kReasonLocked,      texts::kReasonAccessDenied,
                       texts::kReasonDiskFull,    texts::kReasonWriteProtected,
                       texts::kReasonIncomplete,  texts::kReasonNoFreeName,
                       texts::kReasonNotAFile,    texts::kReasonSystem};
  const std::string german = "\xE4\xF6\xFC\xC4\xD6\xDC\xDF";
  for (const char* text : all) {
    for (const unsigned char c : std::string(text)) {
      EXPECT_TRUE(c < 0x80 || german.find(static_cast<char>(c)) != std::string::npos)
          << "byte " << static_cast<int>(c) << " in \"" << text << "\"";
    }
  }
}

// The texts that carry the program's identity are put together from the generated identity
// header; they must come out as the shipped texts, with the project's version.
TEST(AppTexts, IdentityTextsCarryTheProjectVersion) {
  EXPECT_STREQ(texts::kWindowTitle, "Pelmora v" PELMORA_PROJECT_VERSION);
  EXPECT_STREQ(texts::kTitleAbout, "About Pelmora");
  EXPECT_STREQ(texts::kAbout, "Version: " PELMORA_PROJECT_VERSION
                              " | Programmierer: Tavrel | Jahr: 2012 | Monat: 12 | Website: "
                              "pelmora.example.org");
}

TEST(AppTexts, FailureMessagesNameReasonPathAndBackup) {
  FileOutcome locked;
  locked.problem = FileProblem::replace_failed;
  locked.system_error = 32;
  locked.path = "G\\bin\\minecraft.jar";
  EXPECT_EQ(install_failure_text(locked, ""),
            "minecraft.jar konnte nicht installiert werden.\n"
            "Die Datei wird von einem anderen Programm benutzt (l\xE4uft Minecraft noch?):\n"
            "G\\bin\\minecraft.jar\n\nDie bisherige minecraft.jar ist unver\xE4ndert.");
  EXPECT_EQ(install_failure_text(locked, "G\\bin\\backup\\x.jar")
                .substr(install_failure_text(locked, "").size()),
            "\nDas Backup liegt hier:\nG\\bin\\backup\\x.jar");

  FileOutcome full;
  full.problem = FileProblem::copy_failed;
  full.system_error = 112;
  full.path = "G\\bin\\backup\\minecraft.jar";
  EXPECT_EQ(backup_failure_text(full),
            "Das Backup konnte nicht erstellt werden.\nDer Datentr\xE4ger ist voll:\n"
            "G\\bin\\backup\\minecraft.jar\n\n"
            "Es wurde nichts ver\xE4ndert. Sie k\xF6nnen es erneut versuchen.");

  FileOutcome odd;
  odd.problem = FileProblem::rename_failed;
  odd.system_error = 1234;
  odd.path = "p";
  EXPECT_EQ(failure_reason_text(odd), "Windows meldet Fehler 1234:\np");
  struct Case {
    FileProblem problem;
    uint32_t error;
    const char* reason;
    const char* path;
  };
  // Only the client jar, a version's jar and the backups are files the running game may hold.
  const Case cases[] = {
      {FileProblem::not_found, 2, texts::kReasonNotFound, "p"},
      {FileProblem::copy_failed, 3, texts::kReasonNotFound, "p"},
      {FileProblem::copy_failed, 5, texts::kReasonAccessDenied, "p"},
      {FileProblem::copy_failed, 19, texts::kReasonWriteProtected, "p"},
      {FileProblem::replace_failed, 33, texts::kReasonLocked, "G\\BIN\\Minecraft.jar"},
      {FileProblem::copy_failed, 32, texts::kReasonLocked, "G\\bin\\backup\\x.jar"},
      {FileProblem::copy_failed, 32, texts::kReasonInUse, "C:\\p\\jar\\minecraft.jar"},
      {FileProblem::copy_failed, 32, texts::kReasonInUse, "G\\xbin\\minecraft.jar"},
      {FileProblem::replace_failed, 32, texts::kReasonLocked, "G\\versions\\a\\a.jar"},
      {FileProblem::replace_failed, 32, texts::kReasonInUse, "G\\versions\\a\\a.json"},
      {FileProblem::copy_failed, 39, texts::kReasonDiskFull, "p"},
      {FileProblem::copy_failed, 21, texts::kReasonNotReady, "p"},
      {FileProblem::copy_failed, 29, texts::kReasonWriteFault, "p"},
      {FileProblem::copy_failed, 30, texts::kReasonReadFault, "p"},
      {FileProblem::replace_failed, 183, texts::kReasonNameTaken, "p"},
      {FileProblem::rename_failed, 80, texts::kReasonNameTaken, "p"},
      {FileProblem::copy_failed, 123, texts::kReasonInvalidName, "p"},
      {FileProblem::copy_failed, 206, texts::kReasonPathTooLong, "p"},
      {FileProblem::incomplete, 0, texts::kReasonIncomplete, "p"},
      {FileProblem::no_free_name, 0, texts::kReasonNoFreeName, "p"},
      {FileProblem::not_a_file, 0, texts::kReasonNotAFile, "p"},
      {FileProblem::backup_folder_is_file, 0, texts::kReasonBackupFolderIsFile, "p"},
  };
  for (const Case& c : cases) {
    FileOutcome outcome;
    outcome.problem = c.problem;
    outcome.system_error = c.error;
    outcome.path = c.path;
    EXPECT_EQ(failure_reason_text(outcome), std::string(c.reason) + "\n" + c.path) << c.error;
  }
  EXPECT_EQ(prefs_unwritable_text(32, "C:\\p\\pref.ini"),
            "Die Einstellungsdatei \"pref.ini\" konnte nicht geschrieben werden.\n"
            "Die Datei wird von einem anderen Programm benutzt:\nC:\\p\\pref.ini\n\n"
            "Der bisherige Minecraft-Ordner bleibt eingestellt.");
  // A copy that could not be removed is named, in the message and in a drop's line.
  full.left_behind = "G\\bin\\backup\\s.jar.pelmora-neu";
  const std::string left =
      "\n\nEine Zwischenkopie konnte nicht gel\xF6scht werden und liegt noch hier:\n"
      "G\\bin\\backup\\s.jar.pelmora-neu";
  const std::string with_left = backup_failure_text(full);
  EXPECT_EQ(with_left.rfind(left), with_left.size() - left.size()) << with_left;
  FileOutcome drop_full = full;
  drop_full.left_behind.clear();
  drop_full.path = "C:\\p\\jar\\x.jar";
  EXPECT_EQ(drop_refused_text({{"x.jar", failure_reason_line(drop_full)}}),
            "Diese Dateien wurden nicht in den Jar-Ordner kopiert:\n"
            "x.jar: Der Datentr\xE4ger ist voll: C:\\p\\jar\\x.jar");
  EXPECT_EQ(failure_reason_text(FileOutcome()), "");

  // The restore's messages and the refusal of a file that is no jar.
  EXPECT_EQ(restore_done_text("24.12.2012 18:05:09 (2)", ""),
            "Das Backup vom 24.12.2012 18:05:09 (2) wurde wiederhergestellt!");
  EXPECT_EQ(restore_done_text("24.12.2012 18:05:09", "G\\b.jar"),
            "Das Backup vom 24.12.2012 18:05:09 wurde wiederhergestellt!\n\n"
            "Die bisherige minecraft.jar liegt jetzt als Backup hier:\nG\\b.jar");
  JarCheck held;
  held.verdict = JarVerdict::unreadable;
  held.system_error = 5;
  EXPECT_EQ(jar_refused_text("x.jar", held),
            "x.jar ist kein g\xFCltiges Jar-Archiv.\nDie Datei konnte nicht gelesen werden. "
            "Zugriff verweigert.\n\nBitte w\xE4hlen sie eine andere Jar.");
  const FileOutcome damaged = jar_check_outcome(JarCheck{JarVerdict::damaged, 0}, "p");
  EXPECT_EQ(restore_failure_text(damaged, ""),
            "Das Backup konnte nicht wiederhergestellt werden.\n"
            "Das Archiv ist unvollst\xE4ndig oder besch\xE4"
            "digt.\np\n\n"
            "Die bisherige minecraft.jar ist unver\xE4ndert.");
  EXPECT_TRUE(jar_check_outcome(JarCheck{}, "p").ok());
}

}  // namespace
