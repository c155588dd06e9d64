// Window 1, "Backup wiederherstellen": the backups of the game folder, newest first, and the
// restore of the chosen one. It runs its own event loop while window 0 is disabled.
#include <utility>
#include <vector>

#include "app/restore_window.h"
#include "app/jar_folder.h"
#include "app/main_window.h"
#include "app/install.h"
#include "app/paths.h"
#include "app/texts.h"
#include "app/versions.h"
#include "app/version_window.h"
#include "date/date.h"
#include "fs/fs.h"
#include "ui/gadget/gadget.h"
#include "ui/requester/requester.h"
#include "ui/window/window.h"

bool dialog_event_ends(AppState& app, int32_t* event) {
  *event = event_wait();
  if (*event == event_close_window) {
    if (event_gadget() == kMainWindow) app.quit_requested = 1;
    return true;
  }
  if (*event == WM_KEYDOWN && event_wparam() == VK_ESCAPE) return true;
  if (*event == static_cast<int32_t>(WM_DROPFILES)) ignore_dropped_files(event_wparam());
  return false;
}

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
    fill_list();
    gadget_disable(kButtonRestore, 1);
    EnableWindow(main, FALSE);
    while (!done_) step();
    // Window 0 is enabled first so that it becomes active again when window 1 goes.
    EnableWindow(main, TRUE);
    window_close(kRestoreWindow);
    gadget_list_select(main);
  }

  bool restored() const { return restored_; }

 private:
  void fill_list() {
    gadget_items_clear(kListBackups);
    for (size_t i = 0; i < backups_.size(); ++i) {
      gadget_item_add(kListBackups, -1, backup_shown_text(backups_[i]).c_str());
    }
  }

  // Lists the backups again after a failed attempt made one, keeping the choice.
  void refresh_list(const std::string& chosen_file) {
    backups_ = list_backups(app_.game_folder);
    fill_list();
    int32_t chosen = -1;
    for (size_t i = 0; i < backups_.size(); ++i) {
      if (backups_[i].file == chosen_file) chosen = static_cast<int32_t>(i);
    }
    gadget_state_set(kListBackups, chosen);
    gadget_disable(kButtonRestore, chosen < 0 ? 1 : 0);
  }

  void step() {
    int32_t event = 0;
    if (dialog_event_ends(app_, &event)) {
      done_ = true;
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
    const BackupName chosen = backups_[static_cast<size_t>(index)];
    const std::string folder = backup_folder_path(app_.game_folder);
    // Read again: files may have come or gone since the list was made.
    std::vector<std::string> paths;
    for (const BackupName& b : list_backups(app_.game_folder)) paths.push_back(folder + b.file);
    // Like the install's backup, a backup made now carries the start-up stamp and the next
    // number, so that the list shows this run's backups in the order they were made.
    const RestoreResult result = restore_backup(folder + chosen.file, app_.game_folder, paths,
                                                app_.backup_date_part + app_.backup_time_part);
    if (!result.outcome.ok()) {
      if (!result.new_backup.empty()) refresh_list(chosen.file);
      request_message(texts::kTitleError,
                      restore_failure_text(result.outcome, result.new_backup).c_str());
      return;
    }
    restored_ = true;
    request_message(texts::kTitleInfo,
                    restore_done_text(backup_shown_text(chosen), result.new_backup).c_str());
    done_ = true;
  }

  AppState& app_;
  std::vector<BackupName> backups_;
  bool done_ = false;
  bool restored_ = false;
};

}  // namespace

void restore_dialog(AppState& app) {
  if (app.versions_layout) return restore_version_dialog(app);
  std::vector<BackupName> backups = list_backups(app.game_folder);
  if (backups.empty()) {
    request_message(texts::kTitleInfo, texts::kNoBackup);
    return;
  }
  RestoreWindow window(app, std::move(backups));
  window.run();
  // The client jar may be there now where it was missing: the backup option follows it.
  if (window.restored()) show_client_jar_state(app);
}
