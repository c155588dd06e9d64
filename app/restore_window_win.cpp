// Window 1, "Backup wiederherstellen": the backups of the game folder, newest first, and the
// restore of the chosen one. It runs its own event loop while window 0 is disabled.
#include <utility>
#include <vector>

#include "app/app_state.h"
#include "app/install.h"
#include "app/paths.h"
#include "app/texts.h"
#include "app/versions.h"
#include "date/date.h"
#include "fs/fs.h"
#include "ui/gadget/gadget.h"
#include "ui/requester/requester.h"
#include "ui/window/window.h"

namespace {

constexpr intptr_t kRestoreWindow = 1;
constexpr intptr_t kListBackups = 20;
constexpr intptr_t kButtonRestore = 21;
constexpr intptr_t kButtonCancel = 22;
constexpr intptr_t kBackupListing = 1;  // listing 0 holds the jar folder for the whole run

// The backups in the game's backup folder, newest first. Folders and other names are skipped.
std::vector<BackupName> list_backups(const std::string& game_folder) {
  std::vector<BackupName> backups;
  const std::string folder = backup_folder_path(game_folder);
  if (dir_examine(kBackupListing, folder.c_str(), "*.jar")) {
    while (dir_next_entry(kBackupListing)) {
      BackupName backup;
      if (parse_backup_name(dir_entry_name(kBackupListing), &backup) &&
          file_size((folder + backup.file).c_str()) >= 0) {
        backups.push_back(backup);
      }
    }
  }
  dir_release(kBackupListing);
  sort_newest_first(&backups);
  return backups;
}

class RestoreWindow {
 public:
  RestoreWindow(AppState& app, std::vector<BackupName> backups)
      : app_(app), backups_(std::move(backups)) {}

  // Runs until the window is closed, a backup was restored or window 0 is closed.
  void run() {
    HWND main = window_handle(kMainWindow);
    RECT place{};
    GetWindowRect(main, &place);
    if (!window_open(kRestoreWindow, place.left, place.top, kWindowWidth, kWindowHeight,
                     texts::kRestoreTitle, kWindowFlags, main)) {
      return;
    }
    gadget_listbox_create(kListBackups, 10, 10, 237, 206, 0);
    gadget_button_create(kButtonRestore, 10, 226, 150, 30, texts::kButtonRestore, 0);
    gadget_button_create(kButtonCancel, 167, 226, 80, 30, texts::kButtonCancel, 0);
    for (size_t i = 0; i < backups_.size(); ++i) {
      gadget_item_add(kListBackups, -1, backup_shown_text(backups_[i]).c_str());
    }
    gadget_disable(kButtonRestore, 1);
    EnableWindow(main, FALSE);
    while (!done_) step();
    // Window 0 is enabled first so that it becomes active again when window 1 goes.
    EnableWindow(main, TRUE);
    window_close(kRestoreWindow);
    gadget_list_select(main);
  }

 private:
  void step() {
    const int32_t event = event_wait();
    if (event == event_close_window) {
      if (event_gadget() == kMainWindow) app_.quit_requested = 1;
      done_ = true;
    } else if (event == WM_KEYDOWN && event_wparam() == VK_ESCAPE) {
      done_ = true;
    } else if (event == static_cast<int32_t>(WM_DROPFILES)) {
      ignore_dropped_files(event_wparam());
    } else if (event == event_gadget_activity) {
      on_gadget(event_gadget(), event_type());
    }
  }

  void on_gadget(intptr_t gadget, int32_t type) {
    const int32_t chosen = gadget_state_get(kListBackups);
    switch (gadget) {
      case kListBackups:
        gadget_disable(kButtonRestore, chosen < 0 ? 1 : 0);
        if (type == gadget_event_double_click && chosen >= 0) restore(chosen);
        break;
      case kButtonRestore:
        if (chosen >= 0) restore(chosen);
        break;
      case kButtonCancel:
        done_ = true;
        break;
      default:
        break;
    }
  }

  void restore(int32_t index) {
    const BackupName& chosen = backups_[static_cast<size_t>(index)];
    const std::string folder = backup_folder_path(app_.game_folder);
    // Read again: a failed attempt may have left a new backup of the client jar.
    std::vector<std::string> paths;
    for (const BackupName& b : list_backups(app_.game_folder)) paths.push_back(folder + b.file);
    // A backup made now is named after the time of the click.
    const DateValue now = date_now();
    const std::string stamp = date_format("%dd_%mm_%yyyy_", now) + date_format("%hh_%ii_%ss", now);
    const RestoreResult result =
        restore_backup(folder + chosen.file, app_.game_folder, paths, stamp);
    if (!result.outcome.ok()) {
      request_message(texts::kTitleError,
                      restore_failure_text(result.outcome, result.new_backup).c_str());
      return;
    }
    request_message(texts::kTitleInfo,
                    restore_done_text(backup_shown_text(chosen), result.new_backup).c_str());
    done_ = true;
  }

  AppState& app_;
  std::vector<BackupName> backups_;
  bool done_ = false;
};

}  // namespace

void restore_dialog(AppState& app) {
  if (app.versions_layout) return restore_version_dialog(app);
  std::vector<BackupName> backups = list_backups(app.game_folder);
  if (backups.empty()) {
    request_message(texts::kTitleInfo, texts::kNoBackup);
    return;
  }
  RestoreWindow(app, std::move(backups)).run();
}
