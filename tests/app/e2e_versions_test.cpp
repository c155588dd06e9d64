// End-to-end: the versions layout (no bin\minecraft.jar, base versions in versions\).
#include "e2e_fixture.h"

using namespace e2e_test;

constexpr int kVersionText = 30, kVersionList = 31, kInstall = 32, kVersionCancel = 33;
constexpr char kDownloads[] =
    "  \"downloads\": {\"client\": {\"sha1\": \"93faf3398ebf8008d59852dc3c2b22b909ca8a49\", "
    "\"size\": 1465375, \"url\": \"https://x.invalid/client.jar\"}, \"server\": {\"sha1\": "
    "\"ed76d597a44c5266be2a7fcd77a8270f1f0bc118\", \"size\": 242564, "
    "\"url\": \"https://x.invalid/server.jar\"}},\n";

// A version json of the launcher's shape, with "downloads" and `extra` members before "id".
std::string version_json(const std::string& id, const std::string& time,
                         const std::string& extra = "") {
  return "{\n  \"arguments\": {\"game\": [\"--username\", \"${auth_player_name}\"], "
         "\"jvm\": [\"-Djava.library.path=${natives_directory}\"]},\n"
         "  \"assetIndex\": {\"id\": \"pre-1.6\", \"sha1\": \"3d8e5548\", \"size\": 74091, "
         "\"totalSize\": 49505710, \"url\": \"https:\\/\\/x.invalid\\/pre-1.6.json\"},\n"
         "  \"assets\": \"pre-1.6\",\n" +
         std::string(kDownloads) + extra + "  \"id\": \"" + id +
         "\",\n  \"javaVersion\": {\"component\": \"jre-legacy\", \"majorVersion\": 8},\n"
         "  \"libraries\": [{\"name\": \"org.lwjgl.lwjgl:lwjgl-platform:2.9.0\", \"natives\": "
         "{\"windows\": \"natives-windows\"}, \"rules\": [{\"action\": \"allow\"}, "
         "{\"action\": \"disallow\", \"os\": {\"name\": \"osx\"}}]}],\n"
         "  \"logging\": {},\n  \"mainClass\": \"net.minecraft.client.Minecraft\",\n"
         "  \"releaseTime\": \"" +
         time + "\",\n  \"type\": \"old_beta\"\n}\n";
}

constexpr char kProfiles[] =
    "{\r\n  \"profiles\" : {\r\n    \"4d1c\" : {\r\n      \"created\" : "
    "\"2026-01-02T03:04:05.000Z\",\r\n      \"icon\" : \"Furnace\",\r\n      \"lastUsed\" : "
    "\"2026-01-02T03:04:05.000Z\",\r\n      \"lastVersionId\" : \"latest-release\",\r\n"
    "      \"name\" : \"Gr\xC3\xBC\x6E\\u00e4 Welt\",\r\n      \"type\" : \"latest-release\"\r\n"
    "    }\r\n  },\r\n  \"settings\" : {\r\n    \"crashAssistance\" : true,\r\n"
    "    \"enableAdvanced\" : false\r\n  },\r\n  \"version\" : 3\r\n}";

std::string without_blanks(std::string text) {
  text.erase(std::remove_if(text.begin(), text.end(),
                            [](char c) { return c == ' ' || c == '\r' || c == '\n'; }),
             text.end());
  return text;
}

// What the program makes of a base's json for the new id, blanks aside.
std::string copied_json(const std::string& id, const std::string& time) {
  std::string json = version_json(id, time);
  json.erase(json.find(kDownloads), std::string(kDownloads).size());
  return without_blanks(json);
}

std::string installed_text(const std::string& id, bool profile) {
  return "Die Jar wurde als Version \"" + id + "\" installiert!" +
         (profile ? "\n\nIm Minecraft Launcher steht sie unter Installationen als \"" + id +
                        " (Pelmora)\"."
                  : "\n\nLegen sie im Minecraft Launcher eine Installation mit der Version \"" +
                        id + "\" an.");
}

// G\versions\<id>\ with <id>.json and <id>.jar, and the pelmora.ini of one Pelmora made.
void make_version(const std::string& game, const std::string& id, const std::string& json,
                  const std::string& jar_bytes, const std::string& ini = "") {
  CreateDirectoryA((game + "versions").c_str(), nullptr);
  const std::string folder = game + "versions\\" + id + "\\";
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  ASSERT_TRUE(write_file(folder + id + ".json", json));
  ASSERT_TRUE(write_file(folder + id + ".jar", jar_bytes));
  if (!ini.empty()) {
    ASSERT_TRUE(write_file(folder + "pelmora.ini", ini));
  }
}

void expect_versions_state(Pelmora& p) {
  EXPECT_EQ(p.check_state(kBackup), 0);
  EXPECT_FALSE(p.enabled(kBackup));
  EXPECT_EQ(p.text(kBackupText), "(.minecraft\\versions)");
  EXPECT_FALSE(p.enabled(kBackupText));
}

void expect_installed_state(Pelmora& p) {
  for (int off : {kActivate, kBackup, kBackupText, kMoreJars}) EXPECT_FALSE(p.enabled(off)) << off;
}

TEST_F(PelmoraEndToEnd, VersionsLayoutInstallsAJarAsAVersionAndRestoresItsBackup) {
  ASSERT_TRUE(CreateDirectoryA((root_ + "jar").c_str(), nullptr));
  ASSERT_TRUE(write_file(root_ + "jar\\mod.jar", kJarA));
  ASSERT_TRUE(write_file(root_ + "jar\\other.jar", kJarB));
  ASSERT_TRUE(CreateDirectoryA(game().c_str(), nullptr));
  write_prefs(game());
  const std::string beta = version_json("b1.7.3", "2011-07-07T22:00:00+00:00");
  make_version(game(), "b1.7.3", beta, kOldClient);
  make_version(game(), "1.20.1", version_json("1.20.1", "2023-06-12T13:25:51+00:00"), kJarC);
  // Not bases: a child version, an id that is not its folder's, a jar that is no zip.
  make_version(game(), "forge", version_json("forge", "2024", "  \"inheritsFrom\": \"1.20.1\",\n"),
               kJarC);
  make_version(game(), "renamed", version_json("b1.7.3", "2011"), kJarC);
  make_version(game(), "nozip", version_json("nozip", "2011"), "not a zip");
  // "mod" is somebody else's; "mod-pelmora" is a version Pelmora made before.
  ASSERT_TRUE(CreateDirectoryA((game() + "versions\\mod").c_str(), nullptr));
  ASSERT_TRUE(write_file(game() + "versions\\mod\\notes.txt", "mine"));
  const std::string old_ini = "[Pelmora]\r\nBasis = 1.20.1\r\nJar = mod.jar\r\n";
  const std::string old_json = version_json("mod-pelmora", "2023");
  make_version(game(), "mod-pelmora", old_json, kJarB, old_ini);
  const std::string made = game() + "versions\\mod-pelmora\\";
  ASSERT_TRUE(write_file(game() + "launcher_profiles.json", kProfiles));

  Pelmora p(root_);
  start(p, 2);
  EXPECT_TRUE(p.no_box_for(500)) << "the versions layout is no missing client jar";
  expect_versions_state(p);
  choose_and_confirm(p, 0);
  ASSERT_TRUE(p.click_gadget(kActivate));
  HWND chooser = p.restore_window(15000, 2);
  ASSERT_TRUE(chooser);
  EXPECT_EQ(e2e::read_text(chooser), "Version w\xE4hlen");
  EXPECT_EQ(GetWindow(chooser, GW_OWNER), p.main_window());
  RECT inner;
  GetClientRect(chooser, &inner);
  EXPECT_EQ(inner.right, 257);
  EXPECT_EQ(inner.bottom, 266);
  EXPECT_FALSE(IsWindowEnabled(p.main_window()));
  EXPECT_EQ(p.text(kVersionText), "F\xFCr welche Minecraft-Version ist mod.jar?");
  EXPECT_EQ(p.text(kInstall), "Installieren");
  EXPECT_EQ(p.text(kVersionCancel), "Abbrechen");
  ASSERT_EQ(p.list_count(kVersionList), 2);
  EXPECT_EQ(p.list_item(0, kVersionList), "1.20.1") << "newest releaseTime first";
  EXPECT_EQ(p.list_item(1, kVersionList), "b1.7.3");
  EXPECT_EQ(p.list_selection(kVersionList), -1);
  EXPECT_FALSE(p.enabled(kInstall));
  e2e::save_screenshot(chooser, "version-window");
  // Escape changes nothing.
  ASSERT_TRUE(p.press_key(VK_ESCAPE));
  ASSERT_TRUE(p.restore_window_gone(5000, 2));
  EXPECT_TRUE(IsWindowEnabled(p.main_window()));
  EXPECT_TRUE(p.enabled(kActivate));

  ASSERT_TRUE(p.click_gadget(kActivate));
  ASSERT_TRUE(p.restore_window(15000, 2));
  ASSERT_TRUE(p.click_list_item(1, kVersionList));
  ASSERT_TRUE(e2e::wait_for([&] { return p.enabled(kInstall); }, 3000));
  const auto ask_replace = [&](int answer) {
    ASSERT_TRUE(p.click_gadget(kInstall));
    Box box;
    ASSERT_TRUE(p.wait_box(&box));
    EXPECT_EQ(box.title, "Frage");
    EXPECT_EQ(box.text, "Die Version mod-pelmora gibt es schon.\nErsetzen?");
    ASSERT_TRUE(p.answer_with(box, answer));
  };
  const auto expect_old_version = [&] {
    EXPECT_EQ(e2e::list_folder(made, "*"),
              (std::vector<std::string>{"mod-pelmora.jar", "mod-pelmora.json", "pelmora.ini"}));
    EXPECT_EQ(read_file(made + "mod-pelmora.jar"), kJarB);
    EXPECT_EQ(read_file(made + "mod-pelmora.json"), old_json);
    EXPECT_EQ(read_file(made + "pelmora.ini"), old_ini);
  };
  ask_replace(IDNO);
  EXPECT_TRUE(p.no_box_for(300));
  expect_old_version();
  {
    // The failure half-way: the new ini and jar are in place when the json cannot be replaced.
    // The game never holds a json, so the message does not ask whether it runs.
    e2e::FileHolder launcher(made + "mod-pelmora.json");
    ASSERT_TRUE(launcher.ok());
    ask_replace(IDYES);
    EXPECT_EQ(error_box(p),
              "Die Jar konnte nicht als Version \"mod-pelmora\" installiert werden.\n"
              "Die Datei wird von einem anderen Programm benutzt:\n" +
                  made +
                  "mod-pelmora.json\n\nEs wurde nichts ver\xE4ndert. "
                  "Sie k\xF6nnen es erneut versuchen.");
    EXPECT_TRUE(p.restore_window(1000, 2)) << "window 2 stays open for another try";
  }
  expect_old_version();
  ask_replace(IDYES);
  expect_box(p, "Info", installed_text("mod-pelmora", true));
  EXPECT_TRUE(p.restore_window_gone(5000, 2));
  expect_installed_state(p);
  EXPECT_EQ(read_file(made + "mod-pelmora.jar"), kJarA);
  EXPECT_EQ(without_blanks(read_file(made + "mod-pelmora.json")),
            copied_json("mod-pelmora", "2011-07-07T22:00:00+00:00"));
  const std::string ini = read_file(made + "pelmora.ini");
  const std::string head = "[Pelmora]\r\nBasis = b1.7.3\r\nJar = mod.jar\r\nInstalliert = ";
  EXPECT_EQ(ini.substr(0, head.size()), head);
  EXPECT_EQ(ini.size(), head.size() + 19 + 2) << ini;  // "dd.mm.yyyy hh:mm:ss\r\n"
  const std::vector<std::string> kept = e2e::list_folder(made + "backup\\", "*");
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(read_file(made + "backup\\" + kept[0]), kJarB);
  EXPECT_EQ(e2e::list_folder(made, "*").size(), 4u) << "no staging file is left";
  EXPECT_EQ(e2e::list_folder(game(), "*.pelmora-neu*").size(), 0u);
  // The launcher profile: added, everything else as it was.
  const std::string profiles = read_file(game() + "launcher_profiles.json");
  const std::string original = kProfiles;
  for (const std::string& part :
       {original.substr(0, original.find("    }\r\n  },")),
        original.substr(original.find("  \"settings\"")), std::string("\"pelmora-mod-pelmora\"")}) {
    EXPECT_NE(profiles.find(part), std::string::npos) << part;
  }
  for (const char* member : {"\"name\":\"mod-pelmora(Pelmora)\"", "\"type\":\"custom\"",
                             "\"lastVersionId\":\"mod-pelmora\"", "\"icon\":\"Grass\""}) {
    EXPECT_NE(without_blanks(profiles).find(member), std::string::npos) << member;
  }
  EXPECT_NE(read_file(root_ + "pref.ini").find("[Versionen]\r\nmod.jar = b1.7.3\r\n"),
            std::string::npos);
  // Nothing else in versions\ changed.
  EXPECT_EQ(read_file(game() + "versions\\b1.7.3\\b1.7.3.json"), beta);
  EXPECT_EQ(e2e::list_folder(game() + "versions\\mod\\", "*"),
            std::vector<std::string>{"notes.txt"});
  EXPECT_EQ(e2e::list_folder(game() + "versions\\", "*").size(), 7u);

  // The restore lists the version's backup and keeps the installed jar first.
  ASSERT_TRUE(p.system_command(kMenuRestore));
  ASSERT_TRUE(p.restore_window());
  ASSERT_EQ(p.list_count(kBackupList), 1);
  EXPECT_EQ(p.list_item(0, kBackupList).substr(0, 13), "mod-pelmora: ");
  ASSERT_TRUE(p.click_list_item(0, kBackupList));
  ASSERT_TRUE(p.click_gadget(kRestore));
  Box box;
  ASSERT_TRUE(p.wait_box(&box));
  EXPECT_EQ(box.title, "Info");
  EXPECT_TRUE(contains(box.text, kRestored +
                                     std::string("\n\nDie bisherige mod-pelmora.jar liegt "
                                                 "jetzt als Backup hier:\n") +
                                     made + "backup\\"))
      << box.text;
  ASSERT_TRUE(p.answer(box));
  EXPECT_EQ(read_file(made + "mod-pelmora.jar"), kJarB);
  EXPECT_EQ(e2e::list_folder(made + "backup\\", "*").size(), 2u);

  // The mods are built into a new version "<base>-mods" of the base chosen in window 2.
  ASSERT_TRUE(write_file(root_ + "mods\\01 a.zip",
                         test_support::zip_archive({{"x.class", "1 x"}, {"a.class", "1 a"}})));
  ASSERT_TRUE(write_file(root_ + "mods\\02 b.zip",
                         test_support::zip_archive({{"a.class", "2 a"}, {"b.class", "2 b"}})));
  ASSERT_TRUE(p.system_command(0x1130));
  const HWND mods_window = p.restore_window(15000, 3);
  ASSERT_TRUE(mods_window);
  ASSERT_TRUE(p.click_gadget(42));
  chooser = p.restore_window(15000, 2);
  ASSERT_TRUE(chooser);
  EXPECT_EQ(GetWindow(chooser, GW_OWNER), mods_window);
  EXPECT_FALSE(IsWindowEnabled(mods_window));
  EXPECT_EQ(p.text(kVersionText), "F\xFCr welche Minecraft-Version sind die Mods?");
  ASSERT_TRUE(p.click_list_item(1, kVersionList));
  ASSERT_TRUE(e2e::wait_for([&] { return p.enabled(kInstall); }, 3000));
  ASSERT_TRUE(p.click_gadget(kInstall));
  expect_box(p, "Info",
             "2 Mods wurden eingebaut!\n\n1 Datei kam in mehreren Mods vor; es gilt die "
             "sp\xE4tere.\n\n" +
                 installed_text("b1.7.3-mods", true));
  EXPECT_TRUE(p.restore_window_gone(5000, 2));
  EXPECT_TRUE(p.restore_window_gone(5000, 3));
  const std::string modded = game() + "versions\\b1.7.3-mods\\";
  const std::string merged = read_file(modded + "b1.7.3-mods.jar");
  for (const char* part : {"1 x", "2 a", "2 b"}) EXPECT_TRUE(contains(merged, part)) << part;
  EXPECT_FALSE(contains(merged, "old client jar")) << "a mod's entry replaces the base's";
  EXPECT_TRUE(
      contains(read_file(modded + "pelmora.ini"), "\r\nJar = b1.7.3.jar\r\nInstalliert = "));
  EXPECT_TRUE(contains(read_file(modded + "pelmora.ini"), "\r\nMods = 01 a.zip; 02 b.zip\r\n"));
  EXPECT_EQ(e2e::list_folder(root_ + "mods\\", "*"),
            (std::vector<std::string>{"01 a.zip", "02 b.zip"}))
      << "the merged jar is not left in the mods folder";
  close_and_expect_exit(p);
}

TEST_F(PelmoraEndToEnd, BothLayoutsUseTheClassicOneAndAFolderChangeFindsTheVersions) {
  make_standard_layout();
  make_version(game(), "b1.7.3", version_json("b1.7.3", "2011-07-07T22:00:00+00:00"), kJarC);
  ASSERT_TRUE(write_file(root_ + "pref.ini",
                         read_file(root_ + "pref.ini") + "[Versionen]\r\na.jar = b1.7.3\r\n"));
  DesktopFolder versions("pelmora-e2e-versions-" + std::to_string(GetCurrentProcessId()));
  ASSERT_TRUE(versions.ok());
  make_version(versions.path(), "b1.7.3", version_json("b1.7.3", "2011-07-07T22:00:00+00:00"),
               kJarC);
  make_version(versions.path(), "1.20.1", version_json("1.20.1", "2023-06-12T13:25:51+00:00"),
               kJarC);
  Pelmora p(root_);
  start(p, 3);
  EXPECT_TRUE(p.no_box_for(500));
  EXPECT_EQ(p.text(kBackupText), kBackupFolderText) << "the classic layout wins";
  EXPECT_TRUE(p.enabled(kBackup));
  // After a change to a folder with versions only: the versions layout, no message.
  ASSERT_TRUE(p.system_command(kMenuGameFolder));
  const HWND chooser = p.wait_chooser(nullptr);
  ASSERT_TRUE(chooser);
  ASSERT_TRUE(p.chooser_select_desktop_folder(chooser, versions.name()));
  ASSERT_TRUE(p.chooser_click(chooser, IDOK));
  EXPECT_TRUE(p.no_box_for(500));
  expect_versions_state(p);
  ASSERT_TRUE(p.system_command(kMenuRestore));
  expect_box(p, "Info", "Im Backup-Ordner liegt noch kein Backup.");
  // The base remembered for a.jar is chosen; a double click installs. No launcher_profiles.json.
  choose_and_confirm(p, 0);
  ASSERT_TRUE(p.click_gadget(kActivate));
  ASSERT_TRUE(p.restore_window(15000, 2));
  EXPECT_EQ(p.list_selection(kVersionList), 1);
  EXPECT_TRUE(p.enabled(kInstall));
  ASSERT_TRUE(p.click_list_item(0, kVersionList, /*twice=*/true));
  expect_box(p, "Info", installed_text("a", false));
  expect_installed_state(p);
  EXPECT_EQ(read_file(versions.path() + "versions\\a\\a.jar"), kJarA);
  EXPECT_EQ(read_file(client()), kOldClient);
  EXPECT_FALSE(exists(versions.path() + "launcher_profiles.json"));
  close_and_expect_exit(p);
  EXPECT_NE(read_file(root_ + "pref.ini").find("[Versionen]\r\na.jar = 1.20.1\r\n"),
            std::string::npos);
}

TEST_F(PelmoraEndToEnd, LauncherProfilesThatAreBrokenOrHeldAreLeftAlone) {
  const std::string broken = "{\"profiles\": {\"x\": {\"name\": \"a\"}}";
  for (const bool held : {false, true}) {
    root_ = scratch_.path() + (held ? "held\\" : "broken\\");
    // A name outside ASCII: the folder and files take it, the json its UTF-8 form.
    const std::string id = held ? "mod" : "M\xFCll";
    ASSERT_TRUE(CreateDirectoryA(root_.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((root_ + "jar").c_str(), nullptr));
    ASSERT_TRUE(write_file(root_ + "jar\\" + id + ".jar", kJarA));
    ASSERT_TRUE(CreateDirectoryA(game().c_str(), nullptr));
    write_prefs(game());
    make_version(game(), "b1.7.3", version_json("b1.7.3", "2011"), kJarC);
    const std::string profiles = held ? std::string(kProfiles) : broken;
    ASSERT_TRUE(write_file(game() + "launcher_profiles.json", profiles));
    Pelmora p(root_);
    start(p, 1);
    choose_and_confirm(p, 0);
    ASSERT_TRUE(p.click_gadget(kActivate));
    ASSERT_TRUE(p.restore_window(15000, 2));
    EXPECT_EQ(p.list_selection(kVersionList), 0) << "the only base is chosen";
    {
      std::unique_ptr<e2e::FileHolder> launcher;
      if (held) launcher = std::make_unique<e2e::FileHolder>(game() + "launcher_profiles.json");
      ASSERT_TRUE(!held || launcher->ok());
      ASSERT_TRUE(p.click_gadget(kInstall));
      expect_box(p, "Info", installed_text(id, false));
    }
    EXPECT_EQ(read_file(game() + "launcher_profiles.json"), profiles);
    EXPECT_EQ(e2e::list_folder(game(), "*"),
              (std::vector<std::string>{"launcher_profiles.json", "versions"}));
    const std::string made = game() + "versions\\" + id + "\\" + id;
    EXPECT_EQ(read_file(made + ".jar"), kJarA);
    EXPECT_TRUE(
        contains(read_file(made + ".json"), held ? "\"id\": \"mod\"" : "\"id\": \"M\xC3\xBCll\""));
    close_and_expect_exit(p);
  }
}
