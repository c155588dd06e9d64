// Start-up: the jar folder, the backup time stamps and "pref.ini".
#include <windows.h>

#include "app/settings.h"
#include "app/jar_folder.h"
#include "app/main_window.h"
#include "app/install.h"
#include "app/texts.h"
#include "app/versions.h"
#include "date/date.h"
#include "fs/fs.h"
#include "prefs/prefs.h"
#include "runtime/handles_win.h"
#include "ui/requester/requester.h"

namespace {

constexpr char kPrefsFile[] = "pref.ini";
constexpr char kGroup[] = "Minecraft";
constexpr char kGameFolderKey[] = ".minecraft";

void take_time_stamps(AppState& app) {
  app.backup_date_part = date_format("%dd_%mm_%yyyy_", date_now());
  app.backup_time_part = date_format("%hh_%ii_%ss", date_now());
}

// First run: writes "pref.ini" with the version and the game folder the user chooses (empty
// when cancelled). False when the file cannot be created.
bool create_preferences() {
  if (!prefs_create(kPrefsFile)) return false;
  prefs_write_string("Version", "1.1");
  prefs_group(kGroup);
  const std::string folder = request_path(texts::kChooseGameFolder, texts::kInitialFolder);
  prefs_write_string(kGameFolderKey, folder.c_str());
  // The empty file made above goes again when its contents could not be written.
  if (prefs_close() != 0) {
    DeleteFileA(kPrefsFile);
    return false;
  }
  return true;
}

// Why an existing file cannot be opened for reading; a failure without a code counts as one.
uint32_t open_error(const char* path) {
  const win::Handle file(CreateFileA(path, GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  const DWORD error = file ? 0 : GetLastError();
  return error ? error : ERROR_GEN_FAILURE;
}

}  // namespace

bool load_settings(AppState& app) {
  // A file that was created but still cannot be opened was not written (for example a full
  // disk): asking again would not help either.
  bool created = false;
  for (;;) {
    if (file_size(kJarFolder) == -1) dir_create(kJarFolder);
    if (file_size(kModsFolder) == -1) dir_create(kModsFolder);
    take_time_stamps(app);
    if (prefs_open(kPrefsFile)) break;
    // Only a missing file is a first run: one that exists but cannot be opened (another program
    // holds it, no right to read it) is reported and left exactly as it is.
    if (!created && file_size(kPrefsFile) != -1) {
      const uint32_t error = open_error(kPrefsFile);
      request_message(texts::kTitleError,
                      prefs_unopenable_text(error, current_directory() + kPrefsFile).c_str());
      return false;
    }
    if (created || !create_preferences()) {
      request_message(texts::kTitleError, texts::kPrefsNotCreatable);
      return false;
    }
    created = true;
  }
  prefs_group(kGroup);
  app.game_folder = prefs_read_string(kGameFolderKey, "");
  return true;
}

std::string preferences_path() { return current_directory() + kPrefsFile; }

uint32_t save_game_folder(const std::string& folder) {
  prefs_group(kGroup);
  prefs_write_string(kGameFolderKey, folder.c_str());
  // Closing writes the file back now, so a crash later cannot lose the change. A file opened
  // read-only drops the change without a reason: whether it could be written is asked while the
  // file is closed (the open file is held without write sharing), and read back afterwards; it
  // stays open as it was since start-up.
  uint32_t error = prefs_close();
  if (!error) {
    const win::Handle file(CreateFileA(kPrefsFile, GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) error = GetLastError();
  }
  const bool opened = prefs_open(kPrefsFile) != 0;
  prefs_group(kGroup);
  if (opened && prefs_read_string(kGameFolderKey, "") == folder) return 0;
  return error ? error : ERROR_WRITE_FAULT;
}

void change_game_folder(AppState& app) {
  const std::string folder = request_path(texts::kChooseGameFolder, app.game_folder.c_str());
  if (folder.empty()) return;  // cancelled, or not a folder of the file system
  if (const uint32_t error = save_game_folder(folder)) {
    request_message(texts::kTitleError, prefs_unwritable_text(error, preferences_path()).c_str());
    return;
  }
  // The backup made in this run belongs to the old folder: another folder gets its own.
  if (folder != app.game_folder) app.backup_path.clear();
  app.game_folder = folder;
  detect_game_layout(app);
  show_client_jar_state(app);
}
