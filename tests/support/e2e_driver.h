// Drives the real pelmora.exe as a user would, from a separate test program: starts it in a
// folder, finds its window and gadgets, clicks with real mouse input, answers its message boxes
// and the folder chooser, takes screenshots. Windows / Wine only; every wait has a time limit.
//
// Reads of the program's windows (texts, list items, states) are messages with a time limit: a
// program that does not answer one throws Unanswered, which ends the test at once and says
// which read of which window went unanswered. A window that no longer exists reads as nothing
// (an empty text, no items).
#pragma once

#include <windows.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "runtime/handles_win.h"
#include "support/program_win.h"

namespace e2e {

// A read that the program under test did not answer in time.
class Unanswered : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

constexpr DWORD kReadLimitMs = 5000;

// Sends `message` to a window of another process and returns its answer; `gone` when the window
// does not exist (any more). Throws Unanswered when the window exists but gives no answer within
// `limit_ms`; `what` names the read in that message.
LRESULT read_window(HWND window, UINT message, WPARAM wparam, LPARAM lparam, const char* what,
                    LRESULT gone, DWORD limit_ms = kReadLimitMs);
// The window's text (WM_GETTEXT) the same way; "" when the window does not exist.
std::string read_text(HWND window, DWORD limit_ms = kReadLimitMs);

// Full paths of the program under test and of the helper programs beside this test.
std::string pelmora_exe();
std::string helper_exe(const char* name);  // e.g. "file_holder.exe"
// Folder that receives the screenshots (created when missing), ending in "\".
std::string screenshot_folder();

// The Unix path of a Windows path under Wine ("" outside Wine).
std::string unix_path(const std::string& windows_path);
// Runs a Unix shell command under Wine and waits for it; true when it ended with status 0 in time.
bool run_unix(const std::string& command, DWORD limit_ms = 30000);

using test_support::Program;

// Makes a folder read-only for everybody, root included, with a read-only bind mount for its
// lifetime. ok() tells whether that worked (mounting needs the right to mount); why() says why not.
class ReadOnlyFolder {
 public:
  explicit ReadOnlyFolder(const std::string& folder);
  ~ReadOnlyFolder();
  ReadOnlyFolder(const ReadOnlyFolder&) = delete;
  ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;
  bool ok() const { return ok_; }
  const std::string& why() const { return why_; }

 private:
  std::string folder_;
  std::string unix_;
  bool mounted_ = false;
  bool ok_ = false;
  std::string why_;
};

// Holds a file open from a second process: without sharing, or as the running game holds its
// jar (`game_sharing`: reading and writing shared, so a copy succeeds but a replacement fails).
class FileHolder {
 public:
  explicit FileHolder(const std::string& path, bool game_sharing = false);
  ~FileHolder();  // releases the file and waits for the holder to end
  FileHolder(const FileHolder&) = delete;
  FileHolder& operator=(const FileHolder&) = delete;
  bool ok() const { return ok_; }
  void release();

 private:
  win::Handle ready_;
  win::Handle release_;
  Program holder_;
  bool ok_ = false;
};

// Points the system's handler for https addresses at url_recorder.exe (writing to the given
// file) for its lifetime, so that no browser is ever started; the old handler comes back after.
class WebHandlerRecorder {
 public:
  // `type` is the class whose "open" verb is replaced: "https" for web pages, "Folder" for
  // folders.
  explicit WebHandlerRecorder(const std::string& record_file, const char* type = "https");
  ~WebHandlerRecorder();
  WebHandlerRecorder(const WebHandlerRecorder&) = delete;
  WebHandlerRecorder& operator=(const WebHandlerRecorder&) = delete;
  bool ok() const { return ok_; }

 private:
  bool ok_ = false;
  bool had_old_ = false;
  std::string key_;
  std::string old_;
};

struct Box {
  HWND window = nullptr;
  std::string title;
  std::string text;
};

// Local start-up stamps "dd_mm_yyyy_hh_ii_ss" for every second from `from` to `to`.
std::vector<std::string> stamps_between(const SYSTEMTIME& from, const SYSTEMTIME& to);
SYSTEMTIME local_now();
SYSTEMTIME add_seconds(const SYSTEMTIME& time, int seconds);

// One run of pelmora.exe.
class Pelmora {
 public:
  // Starts the program with `folder` as its current directory.
  explicit Pelmora(const std::string& folder);
  ~Pelmora();  // ends the program if it is still running
  Pelmora(const Pelmora&) = delete;
  Pelmora& operator=(const Pelmora&) = delete;

  bool started() const { return program_.process() != nullptr; }
  // GetLastError of the last failed start, 0 when it started at the first try.
  DWORD start_error() const { return start_error_; }
  DWORD process_id() const { return program_.process_id(); }
  // Window 0 once visible (nullptr after the time limit).
  HWND main_window(DWORD timeout_ms = 15000);
  HWND gadget(int number);
  // Waits until the list holds at least `count` items.
  bool wait_list_filled(int count = 1, DWORD timeout_ms = 15000);

  // The next visible message box of the program (a dialog with a message text).
  bool wait_box(Box* box, DWORD timeout_ms = 15000);
  // True when no message box appears within the time.
  bool no_box_for(DWORD ms);
  // Clicks the box's OK button and waits until it has gone.
  bool answer(const Box& box);
  // Clicks the box's button with that id (IDYES, IDNO) and waits until it has gone.
  bool answer_with(const Box& box, int button_id);
  // The folder chooser once visible; its title line (the caller's title) in *title.
  HWND wait_chooser(std::string* title, DWORD timeout_ms = 15000);
  // Selects the chooser's entry for a folder on the desktop by its name; true when selected.
  bool chooser_select_desktop_folder(HWND chooser, const std::string& name);
  bool chooser_click(HWND chooser, int button_id);  // IDOK or IDCANCEL

  // Real mouse clicks.
  bool click_gadget(int number);
  // Scrolls item `index` to the top of the list and clicks it (twice: a double click).
  bool click_list_item(int index, int list = 3, bool twice = false);
  // Selects item `index` by message, with the notification a click on it sends: for scenarios
  // about what a selection does rather than about the mouse.
  bool select_list_item(int index, int list = 3);
  bool click_close_box();

  // Window 1 ("Backup wiederherstellen"), or the window of that number over window 0, once
  // visible (nullptr after the time limit), and the wait for it to go. Its gadgets are found
  // by gadget() and the reads below.
  HWND restore_window(DWORD timeout_ms = 15000, int number = 1);
  bool restore_window_gone(DWORD timeout_ms = 5000, int number = 1);
  // Drops files on window 0 as the file manager would: a DROPFILES block written into the
  // program and posted as WM_DROPFILES; with PELMORA_E2E_X_DROP set, by drop_files_by_x.
  bool drop_files(const std::vector<std::string>& paths);
  // The same through the X server, as a Linux file manager drops files on a Wine window: for a
  // program whose memory cannot be written from outside (an emulated 32-bit process).
  bool drop_files_by_x(const std::vector<std::string>& paths);
  // Posts a system-menu command to window 0, as another program may.
  bool system_command(unsigned id);
  // The control that has the keyboard focus in the program (nullptr when none).
  HWND focus();
  // Opens window 0's system menu with Alt+Space (brought to the front first; tried again when the
  // menu does not show); true once the menu is shown.
  bool open_system_menu();
  // A real key press (down and up) to the window in front, with Alt held when `alt` is set.
  bool press_key(WORD vk, bool alt = false);

  // Gadget states as another program sees them; gadgets of window 1 are found there.
  bool enabled(int number);
  std::string text(int number);
  int check_state(int number);
  int list_count(int list = 3);
  std::string list_item(int index, int list = 3);
  int list_selection(int list = 3);

  // Exit code once the program has ended, or -1 after the time limit.
  int wait_exit(DWORD timeout_ms = 15000);
  bool running();

 private:
  Program program_;
  DWORD start_error_ = 0;
  HWND main_ = nullptr;
  HWND restore_ = nullptr;
};

// Waits until done() holds, at most timeout_ms; false after the time limit.
bool wait_for(const std::function<bool()>& done, DWORD timeout_ms);

// Saves the window's picture from the screen as a PNG into the screenshot folder; returns the
// file's path or "".
std::string save_screenshot(HWND window, const std::string& name);
// The same for an area of the screen (for a window together with a message box over it).
std::string save_screenshot(const RECT& area, const std::string& name);

// Files.
bool write_file(const std::string& path, const std::string& content);
std::string read_file(const std::string& path);  // "<missing>" when it cannot be read
bool exists(const std::string& path);
std::vector<std::string> list_folder(const std::string& folder, const std::string& pattern);
// Deletes a folder (ending in "\") with everything in it.
void remove_tree(const std::string& folder);

}  // namespace e2e
