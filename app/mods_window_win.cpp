// Window 3, "Mods einbauen": the mods of the mods folder in the order they are built in, and the
// merge into the client jar (in the versions layout into a version "<base>-mods" made from the
// base that window 2 asks for), installed like a jar from the jar folder. It runs its own event
// loop while window 0 is disabled, like window 1.
#include <windows.h>

#include <string>
#include <vector>

#include "app/mods_window.h"
#include "app/jar_folder.h"
#include "app/main_window.h"
#include "app/restore_window.h"
#include "app/install.h"
#include "app/mods.h"
#include "app/paths.h"
#include "app/texts.h"
#include "app/version_texts.h"
#include "app/versions.h"
#include "app/version_window.h"
#include "fs/fs.h"
#include "process/process.h"
#include "ui/gadget/gadget.h"
#include "ui/requester/requester.h"
#include "ui/window/window.h"

namespace {

constexpr intptr_t kModsWindow = 3;
constexpr intptr_t kTextOrder = 40;
constexpr intptr_t kListMods = 41;
constexpr intptr_t kButtonMerge = 42;
constexpr intptr_t kButtonCancel = 43;
constexpr intptr_t kModsListing = 3;  // listing 0 holds the jar folder, 1 the backups

// The mods folder's files, in the order they are built in.
std::vector<std::string> list_mods() {
  std::vector<std::string> names;
  const std::string folder = current_directory() + kModsFolder + "\\";
  if (dir_examine(kModsListing, kModsFolder, "*.*")) {
    while (dir_next_entry(kModsListing)) {
      const std::string name = dir_entry_name(kModsListing);
      if (file_size((folder + name).c_str()) >= 0) names.push_back(name);
    }
  }
  dir_release(kModsListing);
  return mod_order(names);
}

// A name beside `target` that no file has, for the merged jar before it is installed: one of the
// program's staging names, so that a killed run's merge is removed at the next start.
std::string free_staging_path(const std::string& target) {
  for (int n = 1; n <= kStagingNames; ++n) {
    const std::string path =
        target + kStagingSuffix + (n == 1 ? std::string() : "-" + std::to_string(n));
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES &&
        GetLastError() == ERROR_FILE_NOT_FOUND) {
      return path;
    }
  }
  return target + kStagingSuffix;  // taken: the merge then reports that it exists
}

// Deletes the merged jar, which this run made; a failure is told, as the file stays behind.
void remove_merged(const std::string& staging) {
  if (DeleteFileA(staging.c_str())) return;
  FileOutcome left;
  left.problem = FileProblem::copy_failed;
  left.system_error = GetLastError();
  left.path = staging;
  request_message(texts::kTitleError, failure_reason_text(left).c_str());
}

// Builds the client jar from itself and the mods and installs it; true when it was installed.
// Every failure is told and leaves the client jar as it was.
bool merge_and_install(AppState& app, const std::vector<std::string>& mods) {
  const std::string client_jar = client_jar_path(app.game_folder);
  const std::string folder = current_directory() + kModsFolder + "\\";
  std::vector<std::string> paths;
  for (const std::string& mod : mods) paths.push_back(folder + mod);
  const std::string staging = free_staging_path(client_jar);
  uint32_t cleanup_error = 0;
  const JarMerge merged = merge_jar_files(client_jar, paths, staging, &cleanup_error);
  if (!merged.ok()) {
    request_message(texts::kTitleError, merge_failure_text(merged, mods, client_jar).c_str());
    return false;
  }
  const bool installed = install_with_backup(app, staging);
  // The install copied the merged jar.
  remove_merged(staging);
  if (installed) {
    request_message(texts::kTitleInfo, mods_merged_text(mods.size(), merged.shared_names).c_str());
  }
  return installed;
}

// Builds a jar from the base version's jar and the mods and installs it as version
// "<base>-mods"; true when it was installed. The merged jar is staged in the mods folder (its
// staging names are cleaned up at start) and always removed again.
bool merge_into_version(AppState& app, const std::vector<std::string>& mods,
                        const std::string& base) {
  const std::string base_jar = version_folder_path(app.game_folder, base) + base + ".jar";
  const std::string folder = current_directory() + kModsFolder + "\\";
  std::vector<std::string> paths;
  for (const std::string& mod : mods) paths.push_back(folder + mod);
  const std::string stem = base + texts::kModsVersionSuffix;
  const std::string staging = free_staging_path(folder + stem + ".jar");
  uint32_t cleanup_error = 0;
  const JarMerge merged = merge_jar_files(base_jar, paths, staging, &cleanup_error);
  if (!merged.ok()) {
    request_message(texts::kTitleError, merge_failure_text(merged, mods, base_jar, true).c_str());
    return false;
  }
  const VersionSource source{staging, stem, base + ".jar", {mods_ini_line(mods)}};
  const bool installed = install_source_as_version(
      app, base, source, mods_merged_text(mods.size(), merged.shared_names));
  remove_merged(staging);
  return installed;
}

// "Einbauen": into the client jar, or in the versions layout into a version of the base that
// window 2 asks for. True when the mods were built in.
bool build_in(AppState& app, const std::vector<std::string>& mods) {
  if (!app.versions_layout) return merge_and_install(app, mods);
  bool installed = false;
  const std::string text = mods.size() == 1 ? texts::kOneModVersionFor : texts::kModsVersionFor;
  choose_base_version(app, kModsWindow, text, "", [&](const std::string& base) {
    installed = merge_into_version(app, mods, base);
    return installed;
  });
  return installed;
}

class ModsWindow {
 public:
  ModsWindow(AppState& app, std::vector<std::string> mods) : app_(app), mods_(std::move(mods)) {}

  // Runs until the window is closed, the mods were built in or window 0 is closed.
  void run() {
    HWND main = window_handle(kMainWindow);
    RECT place{};
    GetWindowRect(main, &place);
    if (!window_open(kModsWindow, place.left, place.top, kWindowWidth, kWindowHeight,
                     texts::kModsTitle, kWindowFlags, main)) {
      return;
    }
    gadget_text_create(kTextOrder, 10, 10, 237, 30, texts::kModsOrder, 0);
    gadget_listbox_create(kListMods, 10, 44, 237, 172, 0);
    gadget_button_create(kButtonMerge, 10, 226, 150, 30, texts::kButtonMerge, 0);
    gadget_button_create(kButtonCancel, 167, 226, 80, 30, texts::kButtonCancel, 0);
    for (const std::string& mod : mods_) gadget_item_add(kListMods, -1, mod.c_str());
    gadget_disable(kButtonMerge, mods_.empty() ? 1 : 0);
    EnableWindow(main, FALSE);
    while (!done_) step();
    // Window 0 is enabled first so that it becomes active again when window 3 goes.
    EnableWindow(main, TRUE);
    window_close(kModsWindow);
    gadget_list_select(main);
  }

 private:
  void step() {
    int32_t event = 0;
    if (dialog_event_ends(app_, &event)) {
      done_ = true;
    } else if (event == event_gadget_activity) {
      if (event_gadget() == kButtonCancel) done_ = true;
      if (event_gadget() == kButtonMerge && !mods_.empty()) done_ = build_in(app_, mods_);
    }
  }

  AppState& app_;
  std::vector<std::string> mods_;
  bool done_ = false;
};

}  // namespace

void mods_dialog(AppState& app) {
  std::vector<std::string> mods = list_mods();
  if (mods.empty()) {
    request_message(texts::kTitleInfo, texts::kNoMods);
    return;
  }
  ModsWindow(app, std::move(mods)).run();
}

void open_mods_folder() {
  if (file_size(kModsFolder) == -1) dir_create(kModsFolder);
  program_run((current_directory() + kModsFolder).c_str());
}
