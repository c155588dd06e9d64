// The jar folder: its listing, opening it in the file manager, and jars dropped on window 0.
#include <windows.h>
#include <shellapi.h>  // HDROP only: the functions are loaded on first use

#include <algorithm>
#include <string>
#include <vector>

#include "app/jar_folder.h"
#include "app/main_window.h"
#include "app/install.h"
#include "app/paths.h"
#include "app/texts.h"
#include "app/versions.h"
#include "fs/fs.h"
#include "process/process.h"
#include "runtime/system_libraries.h"
#include "ui/requester/requester.h"
#include "ui/window/window.h"

namespace {

// The shell's drop functions, loaded when the first drop arrives: a start-up needs none of them.
using DragQueryFileFn = UINT(WINAPI*)(HDROP, UINT, LPSTR, UINT);
using DragFinishFn = void(WINAPI*)(HDROP);

struct DropApi {
  DragQueryFileFn query;
  DragFinishFn finish;
};

const DropApi& drop_api() {
  static const DropApi api = {
      reinterpret_cast<DragQueryFileFn>(system_function("shell32.dll", "DragQueryFileA")),
      reinterpret_cast<DragFinishFn>(system_function("shell32.dll", "DragFinish"))};
  return api;
}

// The dropped paths, in the order the drop lists them; the drop is released.
std::vector<std::string> take_paths(HDROP drop) {
  std::vector<std::string> paths;
  const DropApi& api = drop_api();
  if (!api.query) return paths;
  const UINT count = api.query(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = api.query(drop, i, nullptr, 0);
    std::string path(length + 1, '\0');
    path.resize(api.query(drop, i, &path[0], length + 1));
    if (!path.empty()) paths.push_back(path);
  }
  if (api.finish) api.finish(drop);
  return paths;
}

std::string lower(std::string text) {
  CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
  return text;
}

std::string full_path(const std::string& path) {
  char buffer[MAX_PATH * 2];
  const DWORD length = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
  return length > 0 && length < sizeof buffer ? std::string(buffer, length) : path;
}

std::string name_of(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool ends_with_zip(const std::string& name) {
  return name.size() > 4 && lower_ascii(name.substr(name.size() - 4)) == ".zip";
}

// A message while a drop is handled: the drop came from another program's window, which is in
// front meanwhile, so the box is owned by window 0 and brought to the front itself.
int drop_message(const char* title, const std::string& text, UINT flags = 0) {
  modal_enter();
  const int answer =
      MessageBoxA(window_handle(kMainWindow), text.c_str(), title, flags | MB_SETFOREGROUND);
  modal_leave();
  return answer;
}

// What became of the dropped files.
struct DropResult {
  int copied = 0;                          // jars copied into the jar folder
  int mods = 0;                            // ".zip" files copied into the mods folder
  std::vector<std::string> already_there;  // dragged out of the jar or mods folder itself
  std::vector<DropRefusal> refused;
};

// One dropped file: a jar goes into the jar folder, a ".zip" into the mods folder.
void take_one(const std::string& path, const std::string& jar_folder,
              const std::string& mods_folder, DropResult* result) {
  const std::string name = name_of(path);
  const int64_t size = file_size(path.c_str());
  if (size == -2) {
    result->refused.push_back({name, texts::kReasonFolder});
    return;
  }
  const bool mod = ends_with_zip(name);
  if (!mod && !ends_with_jar(name)) {
    result->refused.push_back({name, texts::kReasonNoJarName});
    return;
  }
  const std::string target = (mod ? mods_folder : jar_folder) + name;
  if (lower(full_path(path)) == lower(full_path(target))) {
    result->already_there.push_back(name);
    return;
  }
  const JarCheck check = check_jar_file(path);
  if (!check.ok()) {
    result->refused.push_back({name, jar_check_reason(check)});
    return;
  }
  const int64_t existing = file_size(target.c_str());
  if (existing == -2) {
    result->refused.push_back({name, texts::kReasonFolderInJarFolder});
    return;
  }
  const bool exists = existing != -1;
  const std::string question =
      mod ? texts::kModExistsBefore + name + texts::kJarExistsAfter : jar_exists_question(name);
  if (exists && drop_message(texts::kTitleQuestion, question, MB_YESNO) != IDYES) {
    return;
  }
  const FileOutcome copied = copy_jar_to(path, target, exists);
  if (!copied.ok()) {
    result->refused.push_back({name, failure_reason_line(copied)});
    return;
  }
  ++(mod ? result->mods : result->copied);
}

}  // namespace

void open_jar_folder() {
  if (file_size(kJarFolder) == -1) dir_create(kJarFolder);
  program_run((current_directory() + kJarFolder).c_str());
}

void take_dropped_files(AppState& app, uintptr_t drop) {
  const std::vector<std::string> paths = take_paths(reinterpret_cast<HDROP>(drop));
  if (paths.empty()) return;
  if (file_size(kJarFolder) == -1) dir_create(kJarFolder);
  if (file_size(kModsFolder) == -1) dir_create(kModsFolder);
  const std::string jar_folder = current_directory() + kJarFolder + "\\";
  const std::string mods_folder = current_directory() + kModsFolder + "\\";
  DropResult result;
  for (const std::string& path : paths) take_one(path, jar_folder, mods_folder, &result);
  if (!result.refused.empty()) {
    drop_message(texts::kTitleError, drop_refused_text(result.refused));
  }
  if (result.mods > 0) {
    drop_message(texts::kTitleInfo, result.mods == 1
                                        ? std::string(texts::kOneModCopied)
                                        : std::to_string(result.mods) + texts::kModsCopied);
  }
  if (result.copied == 0 && result.already_there.empty()) return;
  drop_message(texts::kTitleInfo, jars_copied_text(result.copied, result.already_there));
  if (result.copied > 0) refill_jar_list(app);
}

void remove_leftover_staging(const std::string& game_folder) {
  std::vector<StagingFolder> folders = staging_folders(game_folder, current_directory());
  if (!game_folder.empty()) {
    for (const std::string& version : pelmora_version_folders(game_folder)) {
      folders.push_back({version, &is_version_file_name});
      folders.push_back({version + "backup\\", &is_backup_file_name});
    }
  }
  const std::vector<std::string> left = remove_staging_files(folders);
  if (!left.empty()) request_message(texts::kTitleError, staging_left_text(left).c_str());
}

void ignore_dropped_files(uintptr_t drop) {
  const DropApi& api = drop_api();
  if (api.finish) api.finish(reinterpret_cast<HDROP>(drop));
}

void list_jar_folder(AppState& app) {
  app.jar_names.clear();
  app.jar_index = 0;
  dir_examine(0, kJarFolder, "*.jar");
  // Beyond the table's capacity the remaining entries are ignored.
  while (app.jar_names.count() < JarNames::kCapacity && dir_next_entry(0)) {
    app.jar_names.add(dir_entry_name(0));
  }
  app.jar_index = 0;
}
