// The end-to-end fixture: the real pelmora.exe in a scratch folder, driven with real mouse input,
// and what the feature suites (e2e_*_test.cpp) share.
#pragma once

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

namespace e2e_test {

using e2e::Box;
using e2e::exists;
using e2e::Pelmora;
using e2e::read_file;
using e2e::write_file;

// Gadget numbers of the main window.
constexpr int kActivate = 2, kList = 3, kConfirm = 5, kBackup = 6, kBackupText = 7, kAbout = 8,
              kMoreJars = 9;

// Every jar is a real zip archive: the program refuses anything else.
inline std::string jar(const std::string& content) {
  return test_support::zip_archive({{"x.class", content}});
}
inline const std::string kOldClient = jar("old client jar \x01\x02\xFF bytes");
inline const std::string kJarA = jar("a.jar content");
inline const std::string kJarB = jar("b.jar content, longer than a");
inline const std::string kJarC = jar("c");

constexpr char kGameJarMissing[] =
    "Minecraft Jar nicht gefunden!\nBitte starten sie Minecraft einmal damit das Programm "
    "funktioniert!";
constexpr char kBackupFolderText[] = "(.minecraft\\bin\\backup)";
constexpr char kInstalled[] = "minecraft.jar wurde erfolgreich installiert!";
constexpr char kBackupDone[] = "Es wurde erfolgreich ein Backup erstellt!";

inline bool contains(const std::string& text, const std::string& part) {
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

constexpr unsigned kMenuRestore = 0x1100;
constexpr int kBackupList = 20, kRestore = 21, kCancel = 22;
constexpr char kRestored[] = " wurde wiederhergestellt!";
constexpr unsigned kMenuGameFolder = 0x1110;
constexpr unsigned kMenuJarFolder = 0x1120;

}  // namespace e2e_test
