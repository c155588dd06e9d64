// End-to-end tests: the real pelmora.exe in a scratch folder, driven with real mouse input.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "support/e2e_driver.h"
#include "support/scratch_folder_win.h"
#include "support/zip_writer.h"

namespace {

using e2e::Box;
using e2e::exists;
using e2e::Pelmora;
using e2e::read_file;
using e2e::write_file;

// Gadget numbers of the main window.
constexpr int kActivate = 2, kList = 3, kConfirm = 5, kBackup = 6, kBackupText = 7, kAbout = 8,
              kMoreJars = 9;

// Every jar is a real zip archive: the program refuses anything else.
std::string jar(const std::string& content) {
  return test_support::zip_archive({{"x.class", content}});
}
const std::string kOldClient = jar("old client jar \x01\x02\xFF bytes");
const std::string kJarA = jar("a.jar content");
const std::string kJarB = jar("b.jar content, longer than a");
const std::string kJarC = jar("c");

constexpr char kGameJarMissing[] =
    "Minecraft Jar nicht gefunden!\nBitte starten sie Minecraft einmal damit das Programm "
    "funktioniert!";
constexpr char kBackupFolderText[] = "(.minecraft\\bin\\backup)";
constexpr char kInstalled[] = "minecraft.jar wurde erfolgreich installiert!";
constexpr char kBackupDone[] = "Es wurde erfolgreich ein Backup erstellt!";

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class PelmoraEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(scratch_.ok());
    root_ = scratch_.path();
  }

  std::string game() const { return root_ + "game\\"; }
  std::string client() const { return game() + "bin\\minecraft.jar"; }
  std::string backups() const { return game() + "bin\\backup\\"; }

  // The usual layout: jar\a.jar, b.jar, c.jar; game\bin\minecraft.jar; "pref.ini" naming game\.
  void make_standard_layout(bool with_client = true) {
    ASSERT_TRUE(CreateDirectoryA((root_ + "jar").c_str(), nullptr));
    ASSERT_TRUE(write_file(root_ + "jar\\a.jar", kJarA));
    ASSERT_TRUE(write_file(root_ + "jar\\b.jar", kJarB));
    ASSERT_TRUE(write_file(root_ + "jar\\c.jar", kJarC));
    ASSERT_TRUE(CreateDirectoryA(game().c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((game() + "bin").c_str(), nullptr));
    if (with_client) {
      ASSERT_TRUE(write_file(client(), kOldClient));
    }
    write_prefs(game());
  }

  void write_prefs(const std::string& game_folder) {
    ASSERT_TRUE(write_file(root_ + "pref.ini",
                           "Version = 1.1\r\n[Minecraft]\r\n.minecraft = " + game_folder + "\r\n"));
  }

  // Starts the program and waits for the main window with its list filled.
  void start(Pelmora& p, int expected_items = 1) {
    ASSERT_TRUE(p.started()) << "pelmora.exe did not start: " << e2e::pelmora_exe();
    ASSERT_TRUE(p.main_window()) << "no main window";
    ASSERT_TRUE(p.wait_list_filled(expected_items)) << "the list was not filled";
  }

  void expect_box(Pelmora& p, const char* title, const std::string& text) {
    Box box;
    ASSERT_TRUE(p.wait_box(&box)) << "no message box; expected " << title << ": " << text;
    EXPECT_EQ(box.title, title);
    EXPECT_EQ(box.text, text);
    ASSERT_TRUE(p.answer(box));
  }

  // Reads an error box, answers it and returns its text.
  std::string error_box(Pelmora& p) {
    Box box;
    if (!p.wait_box(&box)) return "<no box>";
    EXPECT_EQ(box.title, "Fehler!");
    p.answer(box);
    return box.text;
  }

  void choose_and_confirm(Pelmora& p, int index) {
    ASSERT_TRUE(p.click_list_item(index));
    ASSERT_EQ(p.list_selection(), index);
    ASSERT_TRUE(p.click_gadget(kConfirm));
    ASSERT_TRUE(p.enabled(kActivate)) << "Aktivieren not enabled after confirming";
  }

  void close_and_expect_exit(Pelmora& p, int code = 0) {
    ASSERT_TRUE(p.click_close_box())
        << (p.running() ? "no close box found"
                        : "the program had ended already, code " + std::to_string(p.wait_exit(0)));
    // A click on a busy machine now and then does not arrive; the close that the test is not
    // about is then given by the system command the close box sends.
    if (p.wait_exit(5000) == -1) PostMessageA(p.main_window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(p.wait_exit(), code);
  }

  test_support::ScratchFolder scratch_;
  std::string root_;
};

// A folder on the desktop, where the folder chooser shows it at the first level.
class DesktopFolder {
 public:
  explicit DesktopFolder(const std::string& name) : name_(name) {
    char desktop[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, desktop);
    CreateDirectoryA(desktop, nullptr);
    path_ = std::string(desktop) + "\\" + name + "\\";
    e2e::remove_tree(path_);
    ok_ = CreateDirectoryA(path_.c_str(), nullptr) != FALSE;
  }
  ~DesktopFolder() { e2e::remove_tree(path_); }
  bool ok() const { return ok_; }
  const std::string& name() const { return name_; }
  const std::string& path() const { return path_; }

 private:
  std::string name_;
  std::string path_;
  bool ok_ = false;
};

// --- Start-up and settings ---

TEST_F(PelmoraEndToEnd, FirstRunAsksOnceWritesPreferencesAndCreatesJarFolder) {
  DesktopFolder chosen("pelmora-e2e-" + std::to_string(GetCurrentProcessId()));
  ASSERT_TRUE(chosen.ok());
  ASSERT_TRUE(CreateDirectoryA((chosen.path() + "bin").c_str(), nullptr));
  ASSERT_TRUE(write_file(chosen.path() + "bin\\minecraft.jar", kOldClient));

  Pelmora p(root_);
  ASSERT_TRUE(p.started());
  std::string title;
  const HWND chooser = p.wait_chooser(&title);
  ASSERT_TRUE(chooser) << "the folder chooser did not appear";
  EXPECT_EQ(title, "Bitte w\xE4hlen sie ihren .minecraft Ordner!");
  EXPECT_TRUE(exists(root_ + "jar")) << "the jar folder is made before the chooser";
  e2e::save_screenshot(chooser, "folder-chooser");
  ASSERT_TRUE(p.chooser_select_desktop_folder(chooser, chosen.name()));
  ASSERT_TRUE(p.chooser_click(chooser, IDOK));

  ASSERT_TRUE(p.main_window()) << "no main window after choosing";
  ASSERT_TRUE(p.wait_list_filled());
  EXPECT_FALSE(p.wait_chooser(nullptr, 1000)) << "the chooser was shown a second time";
  EXPECT_EQ(read_file(root_ + "pref.ini"),
            "Version = 1.1\r\n[Minecraft]\r\n.minecraft = " + chosen.path() + "\r\n");
  const DWORD attributes = GetFileAttributesA((root_ + "jar").c_str());
  EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
  // The chosen folder holds the game's jar: no error at start, and the empty jar folder shows
  // the one entry with both buttons off.
  EXPECT_TRUE(p.no_box_for(500));
  EXPECT_EQ(p.list_count(), 1);
  EXPECT_EQ(p.list_item(0), "Keine JAR gefunden!");
  EXPECT_TRUE(p.enabled(kList));
  EXPECT_FALSE(p.enabled(kConfirm));
  EXPECT_FALSE(p.enabled(kActivate));
  EXPECT_TRUE(p.enabled(kBackup));
  close_and_expect_exit(p);
}

TEST_F(PelmoraEndToEnd, FirstRunCancelledWritesAnEmptyGameFolder) {
  Pelmora p(root_);
  ASSERT_TRUE(p.started());
  const HWND chooser = p.wait_chooser(nullptr);
  ASSERT_TRUE(chooser);
  ASSERT_TRUE(p.chooser_click(chooser, IDCANCEL));
  // The empty game folder makes the client jar "bin\minecraft.jar" below the current folder.
  expect_box(p, "Fehler!", kGameJarMissing);
  ASSERT_TRUE(p.main_window());
  EXPECT_EQ(read_file(root_ + "pref.ini"), "Version = 1.1\r\n[Minecraft]\r\n.minecraft = \r\n");
  EXPECT_FALSE(p.wait_chooser(nullptr, 500));
  close_and_expect_exit(p);
}

TEST_F(PelmoraEndToEnd, PreferencesWithoutGroupOrKeyGiveAnEmptyGameFolder) {
  make_standard_layout();
  const char* variants[] = {
      "Version = 1.1\r\n",                              // no group
      "Version = 1.1\r\n[Minecraft]\r\nother = x\r\n",  // no key
      "[Other]\r\n.minecraft = C:\\elsewhere\\\r\n",    // key in another group
  };
  for (const char* prefs : variants) {
    SCOPED_TRACE(prefs);
    ASSERT_TRUE(write_file(root_ + "pref.ini", prefs));
    Pelmora p(root_);
    ASSERT_TRUE(p.started());
    expect_box(p, "Fehler!", kGameJarMissing);
    ASSERT_TRUE(p.main_window());
    EXPECT_FALSE(p.wait_chooser(nullptr, 300)) << "an existing pref.ini must not ask again";
    EXPECT_EQ(read_file(root_ + "pref.ini"), prefs) << "pref.ini is written only on the first run";
    close_and_expect_exit(p);
  }
}

TEST_F(PelmoraEndToEnd, AFileNamedJarListsNothing) {
  ASSERT_TRUE(write_file(root_ + "jar", "not a folder"));
  ASSERT_TRUE(CreateDirectoryA(game().c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((game() + "bin").c_str(), nullptr));
  ASSERT_TRUE(write_file(client(), kOldClient));
  write_prefs(game());
  Pelmora p(root_);
  start(p);
  EXPECT_EQ(p.list_count(), 1);
  EXPECT_EQ(p.list_item(0), "Keine JAR gefunden!");
  EXPECT_FALSE(p.enabled(kConfirm));
  EXPECT_FALSE(p.enabled(kActivate));
  EXPECT_EQ(read_file(root_ + "jar"), "not a folder");
  close_and_expect_exit(p);
}

// --- The main window ---

TEST_F(PelmoraEndToEnd, MainWindowLayoutTextsAndStartState) {
  make_standard_layout();
  Pelmora p(root_);
  start(p, 3);
  const HWND main = p.main_window();
  RECT outer, inner;
  GetWindowRect(main, &outer);
  GetClientRect(main, &inner);
  EXPECT_EQ(outer.left, 337);
  EXPECT_EQ(outer.top, 189);
  EXPECT_EQ(inner.right, 257);
  EXPECT_EQ(inner.bottom, 266);
  char title[64] = {};
  GetWindowTextA(main, title, sizeof title);
  EXPECT_STREQ(title, "Pelmora v1.3");

  struct Expected {
    int number, x, y, width, height;
    const char* text;
  };
  const Expected gadgets[] = {
      {0, 10, 10, 240, 90, "JAR ausw\xE4hlen"},
      {1, 10, 100, 240, 50, "Weitere Optionen"},
      {2, 10, 190, 240, 40, "Aktivieren"},
      {5, 20, 70, 220, 20, "Jar ausw\xE4hlen"},
      {6, 20, 120, 120, 10, "Backup Minecraft Jar"},
      {7, 40, 130, 170, 20, "(.minecraft\\bin\\backup)"},
      {8, 80, 160, 100, 20, "About"},
      {9, 10, 240, 240, 20, "Mehr Jars"},
  };
  for (const Expected& g : gadgets) {
    SCOPED_TRACE(g.number);
    const HWND control = p.gadget(g.number);
    ASSERT_TRUE(control);
    RECT r;
    GetWindowRect(control, &r);
    POINT origin = {0, 0};
    ClientToScreen(main, &origin);
    EXPECT_EQ(r.left - origin.x, g.x);
    EXPECT_EQ(r.top - origin.y, g.y);
    EXPECT_EQ(r.right - r.left, g.width);
    EXPECT_EQ(r.bottom - r.top, g.height);
    EXPECT_EQ(p.text(g.number), g.text);
  }
  EXPECT_FALSE(p.gadget(4)) << "there is no gadget 4";
  // The umlaut reached Windows as the Windows-1252 byte E4, which is U+00E4 in Unicode.
  WCHAR wide[64] = {};
  GetWindowTextW(p.gadget(0), wide, 64);
  EXPECT_EQ(std::wstring(wide), L"JAR ausw\u00E4hlen");

  // Choosing: everything on but "Aktivieren"; check box clear; jars in listing order.
  EXPECT_EQ(p.list_count(), 3);
  EXPECT_EQ(p.list_item(0), "a.jar");
  EXPECT_EQ(p.list_item(1), "b.jar");
  EXPECT_EQ(p.list_item(2), "c.jar");
  for (int on : {kList, kConfirm, kBackup, kBackupText, kAbout, kMoreJars}) {
    EXPECT_TRUE(p.enabled(on)) << on;
  }
  EXPECT_FALSE(p.enabled(kActivate));
  EXPECT_EQ(p.check_state(kBackup), BST_UNCHECKED);
  e2e::save_screenshot(main, "main-window-choosing");

  // "Jar auswählen" without a choice does nothing.
  ASSERT_TRUE(p.click_gadget(kConfirm));
  EXPECT_TRUE(p.enabled(kList));
  EXPECT_TRUE(p.enabled(kConfirm));
  EXPECT_FALSE(p.enabled(kActivate));
  close_and_expect_exit(p);
}

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

TEST_F(PelmoraEndToEnd, MissingGameJarIsReportedBeforeTheListIsFilled) {
  make_standard_layout(/*with_client=*/false);
  Pelmora p(root_);
  ASSERT_TRUE(p.started());
  Box box;
  ASSERT_TRUE(p.wait_box(&box));
  EXPECT_EQ(box.title, "Fehler!");
  EXPECT_EQ(box.text, kGameJarMissing);
  ASSERT_TRUE(p.main_window());
  EXPECT_EQ(p.list_count(), 0) << "the list is filled only after the message";
  EXPECT_EQ(p.text(kBackupText), "Minecraft Jar nicht gefunden!");
  e2e::save_screenshot(box.window, "error-box");
  ASSERT_TRUE(p.answer(box));
  ASSERT_TRUE(p.wait_list_filled(3));
  EXPECT_FALSE(p.enabled(kBackup));
  EXPECT_FALSE(p.enabled(kBackupText));
  // Installing still works and creates the client jar.
  choose_and_confirm(p, 0);
  ASSERT_TRUE(p.click_gadget(kActivate));
  expect_box(p, "Info", kInstalled);
  EXPECT_EQ(read_file(client()), kJarA);
  close_and_expect_exit(p);
}

TEST_F(PelmoraEndToEnd, GameFolderWithoutTrailingSeparatorIsJoinedAsWritten) {
  make_standard_layout();
  std::string folder = game();
  folder.pop_back();
  write_prefs(folder);
  Pelmora p(root_);
  ASSERT_TRUE(p.started());
  expect_box(p, "Fehler!", kGameJarMissing);
  ASSERT_TRUE(p.main_window());
  EXPECT_FALSE(p.enabled(kBackup));
  close_and_expect_exit(p);
}

TEST_F(PelmoraEndToEnd, AboutShowsItsTextOncePerClick) {
  make_standard_layout();
  Pelmora p(root_);
  start(p, 3);
  for (int click = 0; click < 2; ++click) {
    ASSERT_TRUE(p.click_gadget(kAbout));
    Box box;
    ASSERT_TRUE(p.wait_box(&box));
    EXPECT_EQ(box.title, "About Pelmora");
    EXPECT_EQ(box.text,
              "Version: 1.3 | Programmierer: Tavrel | Jahr: 2012 | Monat: 12 | Website: "
              "pelmora.example.org");
    if (click == 0) e2e::save_screenshot(box.window, "about-box");
    ASSERT_TRUE(p.answer(box));
    EXPECT_TRUE(p.no_box_for(700)) << "one About box per click";
  }
  close_and_expect_exit(p);
}

TEST_F(PelmoraEndToEnd, MoreJarsOpensTheDownloadPageAndEnds) {
  make_standard_layout();
  const std::string record = root_ + "opened.txt";
  e2e::WebHandlerRecorder handler(record);
  ASSERT_TRUE(handler.ok());
  Pelmora p(root_);
  start(p, 3);
  ASSERT_TRUE(p.click_gadget(kMoreJars));
  EXPECT_EQ(p.wait_exit(), 0);
  const DWORD start = GetTickCount();
  while (!exists(record) && GetTickCount() - start < 10000) Sleep(50);
  EXPECT_EQ(read_file(record), "https://pelmora.example.org/jars/\n");
}

// --- Failures ---

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

// --- The jar check ---

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

// --- Restoring a backup ---

constexpr unsigned kMenuRestore = 0x1100;
constexpr int kBackupList = 20, kRestore = 21, kCancel = 22;
constexpr char kRestored[] = " wurde wiederhergestellt!";

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

// --- Changing the game folder, the jar folder, dropped jars ---

constexpr unsigned kMenuGameFolder = 0x1110;
constexpr unsigned kMenuJarFolder = 0x1120;

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

// A window of another program in front, as the file manager is while it drops: made and
// served by a thread of its own.
class WindowInFront {
 public:
  WindowInFront() {
    thread_ = std::thread([this] {
      const HWND window = CreateWindowExA(0, "STATIC", "file manager", WS_POPUP | WS_VISIBLE, 0, 0,
                                          200, 100, nullptr, nullptr, nullptr, nullptr);
      SetForegroundWindow(window);
      thread_id_ = GetCurrentThreadId();
      MSG message;
      while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
      DestroyWindow(window);
    });
    e2e::wait_for([&] { return thread_id_.load() != 0; }, 5000);
  }
  ~WindowInFront() {
    while (!PostThreadMessageA(thread_id_, WM_QUIT, 0, 0)) Sleep(10);
    thread_.join();
  }

 private:
  std::thread thread_;
  std::atomic<DWORD> thread_id_{0};
};

TEST_F(PelmoraEndToEnd, DroppedJarsAreCheckedCopiedAndListed) {
  make_standard_layout();
  const std::string incoming = root_ + "incoming\\";
  ASSERT_TRUE(CreateDirectoryA(incoming.c_str(), nullptr));
  const std::string fresh = jar("a new jar"), newer_b = jar("a newer b.jar");
  ASSERT_TRUE(write_file(incoming + "new.jar", fresh));
  ASSERT_TRUE(write_file(incoming + "b.jar", newer_b));
  ASSERT_TRUE(write_file(incoming + "notes.txt", "text"));
  ASSERT_TRUE(write_file(incoming + "bad.jar", "<html>404</html>"));
  ASSERT_TRUE(write_file(incoming + "zz.jar", fresh));
  ASSERT_TRUE(CreateDirectoryA((incoming + "folder.jar").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((root_ + "jar\\zz.jar").c_str(), nullptr));
  Pelmora p(root_);
  start(p, 3);
  // Window 0 lets the three messages of a drop through the elevated window's filter.
  EXPECT_EQ(GetPropA(p.main_window(), "Pelmora_DropFilter"), reinterpret_cast<HANDLE>(7));
  Box box;
  {
    const WindowInFront file_manager;
    ASSERT_TRUE(p.drop_files({incoming + "new.jar", incoming + "b.jar", incoming + "notes.txt",
                              incoming + "bad.jar", incoming + "folder.jar", incoming + "zz.jar",
                              root_ + "jar\\a.jar"}));
    ASSERT_TRUE(p.wait_box(&box));
    EXPECT_EQ(box.title, "Frage");
    EXPECT_EQ(box.text, "Im Jar-Ordner liegt schon b.jar.\nErsetzen?");
    EXPECT_EQ(GetWindow(box.window, GW_OWNER), p.main_window());
    EXPECT_TRUE(e2e::wait_for([&] { return GetForegroundWindow() == box.window; }, 3000));
    ASSERT_TRUE(p.answer_with(box, IDYES));
  }
  expect_box(p, "Fehler!",
             "Diese Dateien wurden nicht in den Jar-Ordner kopiert:\n"
             "notes.txt: Der Name endet nicht auf \".jar\".\n"
             "bad.jar: Die Datei ist kein Zip-Archiv.\n"
             "folder.jar: Das ist ein Ordner.\n"
             "zz.jar: Im Jar-Ordner liegt ein Ordner dieses Namens.");
  expect_box(p, "Info",
             "2 Jars wurden in den Jar-Ordner kopiert.\n\n"
             "Diese Jars liegen schon im Jar-Ordner und wurden nicht kopiert:\na.jar");
  EXPECT_EQ(read_file(root_ + "jar\\new.jar"), fresh);
  EXPECT_EQ(read_file(root_ + "jar\\b.jar"), newer_b);
  EXPECT_EQ(read_file(root_ + "jar\\a.jar"), kJarA);
  EXPECT_EQ(e2e::list_folder(root_ + "jar\\", "*"),
            (std::vector<std::string>{"a.jar", "b.jar", "c.jar", "new.jar", "zz.jar"}))
      << "no copy is left beside the jars";
  ASSERT_TRUE(p.wait_list_filled(4));
  EXPECT_EQ(p.list_item(3), "new.jar");
  // The same name again, answered with Nein: nothing is copied and nothing more is said.
  ASSERT_TRUE(write_file(incoming + "b.jar", jar("yet another b")));
  ASSERT_TRUE(p.drop_files({incoming + "b.jar"}));
  ASSERT_TRUE(p.wait_box(&box));
  EXPECT_EQ(box.title, "Frage");
  ASSERT_TRUE(p.answer_with(box, IDNO));
  EXPECT_TRUE(p.no_box_for(500));
  EXPECT_EQ(read_file(root_ + "jar\\b.jar"), newer_b);
  // After a jar is confirmed a drop still copies, but the list stays as it is.
  choose_and_confirm(p, 0);
  ASSERT_TRUE(write_file(incoming + "late.jar", jar("late")));
  ASSERT_TRUE(p.drop_files({incoming + "late.jar"}));
  expect_box(p, "Info", "1 Jar wurde in den Jar-Ordner kopiert.");
  EXPECT_EQ(p.list_count(), 5);
  EXPECT_FALSE(p.enabled(kList));
  EXPECT_TRUE(exists(root_ + "jar\\late.jar"));
  close_and_expect_exit(p);
}

TEST_F(PelmoraEndToEnd, DropOnAnEmptyJarListFillsItAndDropsWaitForOpenWindows) {
  make_standard_layout();
  for (const char* name : {"a.jar", "b.jar", "c.jar"})
    ASSERT_TRUE(DeleteFileA((root_ + "jar\\" + name).c_str()));
  ASSERT_TRUE(write_file(root_ + "mod.jar", kJarB));
  Pelmora p(root_);
  start(p, 1);
  ASSERT_EQ(p.list_item(0), "Keine JAR gefunden!");
  ASSERT_FALSE(p.enabled(kConfirm));
  // While a message box is open a drop does nothing.
  ASSERT_TRUE(p.click_gadget(kAbout));
  Box about;
  ASSERT_TRUE(p.wait_box(&about));
  ASSERT_TRUE(p.drop_files({root_ + "mod.jar"}));
  EXPECT_TRUE(p.answer(about));
  EXPECT_TRUE(p.no_box_for(500));
  EXPECT_FALSE(exists(root_ + "jar\\mod.jar"));
  ASSERT_TRUE(p.drop_files({root_ + "mod.jar"}));
  expect_box(p, "Info", "1 Jar wurde in den Jar-Ordner kopiert.");
  ASSERT_TRUE(e2e::wait_for([&] { return p.list_item(0) == "mod.jar"; }, 3000));
  EXPECT_EQ(p.list_count(), 1);
  EXPECT_TRUE(p.enabled(kConfirm));
  EXPECT_EQ(read_file(root_ + "jar\\mod.jar"), kJarB);
  close_and_expect_exit(p);
}

// --- Jar mods ---

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

// --- Jar names ---

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

// The driver's reads of another thread's windows: an answer is returned as it is, a window that
// does not answer ends the read with the read and the window named, and a window that has gone
// reads as nothing. A list box on a helper thread stands in for the program.
TEST(EndToEndDriver, ReadsAnswerFailWhenUnansweredAndReadNothingWhenGone) {
  HWND list = nullptr;
  const HANDLE made = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  const HANDLE stall = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  const HANDLE stalled = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  const HANDLE end = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::thread owner([&] {
    list = CreateWindowExA(0, "LISTBOX", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr,
                           nullptr);
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("only.jar"));
    SetEvent(made);
    // Answers messages until told to stall, then takes none until told to end.
    while (MsgWaitForMultipleObjects(1, &stall, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    SetEvent(stalled);
    WaitForSingleObject(end, 30000);
    DestroyWindow(list);
  });
  // Expectations only up to the join: the helper thread must end in every case.
  EXPECT_EQ(WaitForSingleObject(made, 5000), WAIT_OBJECT_0);
  EXPECT_NE(list, nullptr);
  EXPECT_EQ(e2e::read_window(list, LB_GETCOUNT, 0, 0, "LB_GETCOUNT", -1), 1);

  SetEvent(stall);
  EXPECT_EQ(WaitForSingleObject(stalled, 5000), WAIT_OBJECT_0);
  std::string failure = "<no failure>";
  const DWORD start = GetTickCount();
  try {
    e2e::read_window(list, LB_GETCOUNT, 0, 0, "LB_GETCOUNT", -1, 500);
  } catch (const e2e::Unanswered& unanswered) {
    failure = unanswered.what();
  }
  EXPECT_LT(GetTickCount() - start, 3000u) << "the read waited far beyond its limit";
  EXPECT_TRUE(contains(failure, "LB_GETCOUNT")) << failure;
  EXPECT_TRUE(contains(failure, "ListBox")) << failure;
  EXPECT_TRUE(contains(failure, "500 ms")) << failure;

  SetEvent(end);
  owner.join();
  EXPECT_EQ(e2e::read_window(list, LB_GETCOUNT, 0, 0, "LB_GETCOUNT", -1), -1);
  EXPECT_EQ(e2e::read_text(list), "");
  for (HANDLE h : {made, stall, stalled, end}) CloseHandle(h);
}

}  // namespace

// --- The versions layout: no bin\minecraft.jar, base versions in versions\ ---

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
