// The versions layout with real files: finding the base versions, installing a jar as a version
// of its own with the launcher profiles, and the backups of Pelmora's versions.
//
// Every file is made beside its final name under a name that no file has, checked and moved
// into place in one step (the launcher's own files flushed first), so a failure can only ever
// delete what this attempt made.
#include <windows.h>

#include <algorithm>
#include <functional>

#include "app/app_state.h"
#include "app/version_json.h"
#include "app/version_texts.h"
#include "app/versions.h"
#include "date/date.h"
#include "fs/fs.h"
#include "runtime/handles_win.h"

namespace {

constexpr int kStagingNames = 100;  // "x.pelmora-neu", "x.pelmora-neu-2", ...
constexpr int kBackupNames = 1000;  // "stamp.jar", "stamp_2.jar", ...
constexpr char kMarker[] = "pelmora.ini";
constexpr char kProfileFiles[][40] = {"launcher_profiles.json",
                                      "launcher_profiles_microsoft_store.json"};

FileOutcome failure(FileProblem problem, const std::string& path, uint32_t error = 0) {
  FileOutcome outcome;
  outcome.problem = problem;
  outcome.system_error = error;
  outcome.path = path;
  return outcome;
}

uint32_t last_error() {
  const DWORD error = GetLastError();
  return error ? error : ERROR_GEN_FAILURE;
}

bool exists(const std::string& path) { return file_size(path.c_str()) != -1; }

// Reads a whole file; 0 or the system's reason.
uint32_t read_whole_file(const std::string& path, std::string* bytes) {
  const win::Handle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return last_error();
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) return last_error();
  if (size.QuadPart > (256 << 20)) return ERROR_NOT_ENOUGH_MEMORY;
  bytes->assign(static_cast<size_t>(size.QuadPart), '\0');
  size_t done = 0;
  while (done < bytes->size()) {
    DWORD got = 0;
    if (!ReadFile(file.get(), &(*bytes)[done], static_cast<DWORD>(bytes->size() - done), &got,
                  nullptr)) {
      return last_error();
    }
    if (got == 0) return ERROR_HANDLE_EOF;
    done += got;
  }
  return 0;
}

// Creates a new file (never over an existing one) with the bytes, flushed to the disk when
// `flush` is set.
uint32_t write_new_file(const std::string& path, const std::string& bytes, bool flush) {
  const win::Handle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return last_error();
  DWORD written = 0;
  if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
      written != bytes.size() || (flush && !FlushFileBuffers(file.get()))) {
    return last_error();
  }
  return 0;
}

// Copies source to a new file (never over an existing one), without the read-only mark a copy
// keeps from its source (a read-only version jar could never be replaced or removed again), and
// flushed to the disk: it replaces a jar the launcher starts, which a power cut must not leave
// empty.
uint32_t copy_new_file(const std::string& source, const std::string& path) {
  if (!CopyFileA(source.c_str(), path.c_str(), TRUE)) return last_error();
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
      !SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY)) {
    return last_error();
  }
  const win::Handle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file || !FlushFileBuffers(file.get())) return last_error();
  return 0;
}

// Makes a file beside `target` under the first name of target + ".pelmora-neu", "-2", ... that
// no file has, with `make` (0 or the system's reason). A file left by a failed `make` is ours
// and is removed.
FileOutcome make_beside(const std::string& target,
                        const std::function<uint32_t(const std::string&)>& make,
                        std::string* staging) {
  for (int attempt = 1; attempt <= kStagingNames; ++attempt) {
    const std::string name =
        target + ".pelmora-neu" + (attempt == 1 ? "" : "-" + std::to_string(attempt));
    if (exists(name)) continue;
    const uint32_t error = make(name);
    if (error == 0) {
      *staging = name;
      return FileOutcome();
    }
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;  // taken meanwhile
    if (exists(name)) DeleteFileA(name.c_str());
    return failure(FileProblem::copy_failed, target, error);
  }
  return failure(FileProblem::no_free_name, target);
}

// Writes bytes beside target and reads them back; `parses` checks what was read. A file that
// replaces one the launcher made is flushed before it is moved into place, so a power cut cannot
// leave the user's file empty; Pelmora's small version files are not (each flush waits for the
// disk), since a version the launcher cannot read is put right by installing it again.
FileOutcome stage_bytes(const std::string& target, const std::string& bytes,
                        const std::function<bool(const std::string&)>& parses, bool flush,
                        std::string* staging) {
  FileOutcome outcome = make_beside(
      target, [&](const std::string& name) { return write_new_file(name, bytes, flush); }, staging);
  if (!outcome.ok()) return outcome;
  std::string back;
  const uint32_t error = read_whole_file(*staging, &back);
  if (error || back != bytes || !parses(back)) {
    DeleteFileA(staging->c_str());
    staging->clear();
    return error ? failure(FileProblem::copy_failed, target, error)
                 : failure(FileProblem::incomplete, target);
  }
  return outcome;
}

// Copies a jar beside target and checks the copy: its size and the jar check.
FileOutcome stage_jar(const std::string& source, const std::string& target, std::string* staging) {
  const int64_t size = file_size(source.c_str());
  FileOutcome outcome = make_beside(
      target, [&](const std::string& name) { return copy_new_file(source, name); }, staging);
  if (!outcome.ok()) {
    // A source that cannot be read (the game holding it) is named rather than the target.
    const win::Handle readable(CreateFileA(source.c_str(), GENERIC_READ,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!readable) outcome.path = source;
    return outcome;
  }
  if (file_size(staging->c_str()) != size) outcome = failure(FileProblem::incomplete, target);
  if (outcome.ok()) {
    // A copy that fails the check names the jar it came from, as the client jar's install does.
    outcome = check_jar_outcome(*staging);
    if (!outcome.ok()) outcome.path = source;
  }
  if (!outcome.ok()) {
    DeleteFileA(staging->c_str());
    staging->clear();
  }
  return outcome;
}

// Moves a checked file into place in one step, replacing what is there.
FileOutcome move_into_place(const std::string& staging, const std::string& target) {
  if (MoveFileExA(staging.c_str(), target.c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return FileOutcome();
  }
  const uint32_t error = last_error();
  return failure(FileProblem::replace_failed, target, error);
}

// Deletes a folder this attempt made, with everything in it.
void remove_folder_tree(const std::string& folder) {
  WIN32_FIND_DATAA entry;
  win::FindHandle search(FindFirstFileA((folder + "*").c_str(), &entry));
  if (search) {
    do {
      const std::string name = entry.cFileName;
      if (name == "." || name == "..") continue;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        remove_folder_tree(folder + name + "\\");
      } else {
        DeleteFileA((folder + name).c_str());
      }
    } while (FindNextFileA(search.get(), &entry));
  }
  search.reset();
  RemoveDirectoryA(folder.c_str());
}

// The names of the sub-folders of a folder.
std::vector<std::string> sub_folders(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA entry;
  win::FindHandle search(FindFirstFileA((folder + "*").c_str(), &entry));
  if (!search) return names;
  do {
    const std::string name = entry.cFileName;
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != "..") {
      names.push_back(name);
    }
  } while (FindNextFileA(search.get(), &entry));
  return names;
}

bool is_pelmora_version(const std::string& folder) { return exists(folder + kMarker); }

// The base version in `folder` named `id`, when it is one; its release time in *release_time.
bool base_version(const std::string& folder, const std::string& id, std::string* release_time) {
  if (is_pelmora_version(folder)) return false;
  std::string bytes;
  if (read_whole_file(folder + id + ".json", &bytes) != 0) return false;
  const VersionJsonInfo info = read_version_json(bytes);
  if (!is_base_version_json(info, id)) return false;
  if (!check_jar_file(folder + id + ".jar").ok()) return false;
  *release_time = info.release_time;
  return true;
}

// The jar of a version kept as folder + "backup\<stamp>.jar" (or "_N"): copied beside its name,
// checked for size and moved to the name, which is never taken from a file there.
FileOutcome backup_version_jar(const std::string& folder, const std::string& jar,
                               const std::string& stamp, bool* folder_made) {
  const std::string backups = folder + "backup\\";
  *folder_made = dir_create(backups.c_str()) != 0;
  const int64_t size = file_size(jar.c_str());
  FileOutcome outcome = failure(FileProblem::no_free_name, backups + stamp + ".jar");
  for (int attempt = 1; attempt <= kBackupNames; ++attempt) {
    const std::string name =
        backups + stamp + (attempt == 1 ? "" : "_" + std::to_string(attempt)) + ".jar";
    if (exists(name)) continue;
    std::string staging;
    outcome = make_beside(
        name, [&](const std::string& n) { return copy_new_file(jar, n); }, &staging);
    if (!outcome.ok()) break;
    if (file_size(staging.c_str()) != size) {
      DeleteFileA(staging.c_str());
      outcome = failure(FileProblem::incomplete, name);
      break;
    }
    if (file_rename(staging.c_str(), name.c_str())) {
      outcome.path = name;
      return outcome;
    }
    const uint32_t error = last_error();
    DeleteFileA(staging.c_str());
    if (!exists(name)) {
      outcome = failure(FileProblem::rename_failed, name, error);
      break;
    }
  }
  if (*folder_made) RemoveDirectoryA(backups.c_str());
  *folder_made = false;
  return outcome;
}

// One install of a jar as a version, with what it has changed so far, so that a failure can
// put everything back.
class VersionWriter {
 public:
  VersionWriter(const std::string& game_folder, const std::string& id)
      : folder_(version_folder_path(game_folder, id)), id_(id) {}
  ~VersionWriter() {
    if (!done_) undo();
  }
  VersionWriter(const VersionWriter&) = delete;
  VersionWriter& operator=(const VersionWriter&) = delete;

  std::string jar() const { return folder_ + id_ + ".jar"; }
  std::string json() const { return folder_ + id_ + ".json"; }
  std::string marker() const { return folder_ + kMarker; }

  // Makes the folder, or keeps the jar of the version it replaces.
  FileOutcome prepare(const std::string& stamp) {
    if (!exists(folder_)) {
      if (!CreateDirectoryA(folder_.c_str(), nullptr)) {
        return failure(FileProblem::copy_failed, folder_, last_error());
      }
      folder_made_ = true;
      return FileOutcome();
    }
    if (file_size(jar().c_str()) < 0) return FileOutcome();
    const FileOutcome outcome = backup_version_jar(folder_, jar(), stamp, &backup_folder_made_);
    if (outcome.ok()) backup_ = outcome.path;
    return outcome;
  }

  // Remembers a checked staging file to be moved over target.
  void staged(const std::string& staging, const std::string& target) {
    staged_.push_back({staging, target});
  }

  // Moves every staged file into place, in the order staged; the old contents of each are kept
  // first (a jar in its backup, the small files in memory).
  FileOutcome move_all() {
    for (size_t i = 0; i < staged_.size(); ++i) {
      Moved moved;
      moved.target = staged_[i].target;
      moved.had_old = exists(moved.target);
      if (moved.had_old && moved.target != jar()) {
        if (const uint32_t error = read_whole_file(moved.target, &moved.old_bytes)) {
          return failure(FileProblem::copy_failed, moved.target, error);
        }
      }
      const FileOutcome outcome = move_into_place(staged_[i].staging, moved.target);
      if (!outcome.ok()) return outcome;
      staged_[i].staging.clear();
      moved_.push_back(std::move(moved));
    }
    return FileOutcome();
  }

  void keep() { done_ = true; }

 private:
  struct Staged {
    std::string staging, target;
  };
  struct Moved {
    std::string target;
    bool had_old = false;
    std::string old_bytes;  // the old contents of a small file
  };

  // Puts an old file back the same safe way it was replaced.
  void put_back(const Moved& moved) {
    if (!moved.had_old) {
      DeleteFileA(moved.target.c_str());
      return;
    }
    std::string staging;
    const FileOutcome outcome =
        moved.target == jar()
            ? make_beside(
                  moved.target, [&](const std::string& n) { return copy_new_file(backup_, n); },
                  &staging)
            : make_beside(
                  moved.target,
                  [&](const std::string& n) { return write_new_file(n, moved.old_bytes, false); },
                  &staging);
    if (outcome.ok() && !move_into_place(staging, moved.target).ok()) {
      DeleteFileA(staging.c_str());
    }
  }

  void undo() {
    for (const Staged& s : staged_) {
      if (!s.staging.empty()) DeleteFileA(s.staging.c_str());
    }
    if (folder_made_) {
      remove_folder_tree(folder_);
      return;
    }
    for (auto it = moved_.rbegin(); it != moved_.rend(); ++it) put_back(*it);
    if (!backup_.empty()) DeleteFileA(backup_.c_str());
    if (backup_folder_made_) RemoveDirectoryA((folder_ + "backup\\").c_str());
  }

  std::string folder_;
  std::string id_;
  bool folder_made_ = false;
  bool backup_folder_made_ = false;
  std::string backup_;
  std::vector<Staged> staged_;
  std::vector<Moved> moved_;
  bool done_ = false;
};

std::string now_launcher_time() {
  SYSTEMTIME t;
  GetSystemTime(&t);
  return iso_utc_text(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
}

// Adds the version's profile to the launcher's profile files that exist and are understood;
// anything else is left exactly as it is. True when a file now names the version.
bool write_launcher_profiles(const std::string& game_folder, const std::string& id) {
  const LauncherProfile profile = pelmora_profile(id, now_launcher_time());
  bool written = false;
  for (const char* name : kProfileFiles) {
    const std::string path = game_folder + name;
    std::string bytes, edited, staging;
    if (!exists(path) || read_whole_file(path, &bytes) != 0 ||
        !add_launcher_profile(bytes, profile, &edited)) {
      continue;
    }
    const FileOutcome staged = stage_bytes(
        path, edited, [](const std::string& back) { return json_well_formed(back); }, true,
        &staging);
    if (!staged.ok()) continue;
    if (move_into_place(staging, path).ok()) {
      written = true;
    } else {
      DeleteFileA(staging.c_str());
    }
  }
  return written;
}

}  // namespace

std::vector<BaseVersion> list_base_versions(const std::string& game_folder, size_t limit) {
  std::vector<BaseVersion> bases;
  const std::string versions = versions_folder_path(game_folder);
  for (const std::string& id : sub_folders(versions)) {
    if (bases.size() >= limit) break;
    BaseVersion base;
    if (base_version(versions + id + "\\", id, &base.release_time)) {
      base.id = id;
      bases.push_back(std::move(base));
    }
  }
  return bases;
}

void detect_game_layout(AppState& app) {
  app.versions_layout =
      !exists(client_jar_path(app.game_folder)) && !list_base_versions(app.game_folder, 1).empty();
}

VersionInstall install_version(const std::string& game_folder, const std::string& base,
                               const VersionSource& source, const std::string& id,
                               const std::string& stamp) {
  VersionInstall result;
  FileOutcome& outcome = result.outcome;
  // Everything that can be checked before a file is made comes first.
  const std::string base_json = version_folder_path(game_folder, base) + base + ".json";
  std::string bytes, json;
  if (const uint32_t error = read_whole_file(base_json, &bytes)) {
    outcome = failure(FileProblem::copy_failed, base_json, error);
    return result;
  }
  if (!make_version_json(bytes, utf8_from_cp1252(id), &json)) {
    outcome = failure(FileProblem::copy_failed, base_json);
    result.reason = std::string(texts::kReasonNoVersionJson) + "\n" + base_json;
    return result;
  }
  // The jar itself is checked as the copy beside its final name (see stage_jar).
  VersionWriter writer(game_folder, id);
  outcome = writer.prepare(stamp);
  if (!outcome.ok()) return result;
  const std::string installed = date_format("%dd.%mm.%yyyy %hh:%ii:%ss", date_now());
  std::string staging;
  outcome = stage_bytes(
      writer.marker(), pelmora_ini_text(base, source.jar_name, installed, source.ini_lines),
      [](const std::string&) { return true; }, false, &staging);
  if (!outcome.ok()) return result;
  writer.staged(staging, writer.marker());
  outcome = stage_jar(source.path, writer.jar(), &staging);
  if (!outcome.ok()) return result;
  writer.staged(staging, writer.jar());
  const std::string wanted_id = utf8_from_cp1252(id);
  outcome = stage_bytes(
      writer.json(), json,
      [&](const std::string& back) {
        const VersionJsonInfo info = read_version_json(back);
        return info.object && info.id == wanted_id;
      },
      false, &staging);
  if (!outcome.ok()) return result;
  writer.staged(staging, writer.json());
  outcome = writer.move_all();
  if (!outcome.ok()) return result;
  writer.keep();
  outcome.path = writer.jar();
  result.profile_written = write_launcher_profiles(game_folder, id);
  return result;
}

std::vector<std::string> pelmora_version_folders(const std::string& game_folder) {
  std::vector<std::string> folders;
  const std::string versions = versions_folder_path(game_folder);
  for (const std::string& id : sub_folders(versions)) {
    const std::string folder = versions + id + "\\";
    if (is_pelmora_version(folder)) folders.push_back(folder);
  }
  return folders;
}

std::vector<VersionBackup> list_version_backups(const std::string& game_folder) {
  std::vector<VersionBackup> backups;
  const std::string versions = versions_folder_path(game_folder);
  for (const std::string& id : sub_folders(versions)) {
    const std::string folder = versions + id + "\\";
    if (!is_pelmora_version(folder)) continue;
    WIN32_FIND_DATAA entry;
    win::FindHandle search(FindFirstFileA((folder + "backup\\*.jar").c_str(), &entry));
    if (!search) continue;
    do {
      VersionBackup backup;
      backup.id = id;
      if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
          parse_backup_name(entry.cFileName, &backup.name)) {
        backups.push_back(std::move(backup));
      }
    } while (FindNextFileA(search.get(), &entry));
  }
  sort_version_backups(&backups);
  return backups;
}

RestoreResult restore_version_backup(const std::string& game_folder, const VersionBackup& backup,
                                     const std::string& stamp) {
  const std::string folder = version_folder_path(game_folder, backup.id);
  const std::string chosen = folder + "backup\\" + backup.name.file;
  const std::string jar = folder + backup.id + ".jar";
  RestoreResult result;
  result.outcome = check_jar_outcome(chosen);
  if (!result.outcome.ok()) return result;
  // The version's jar is never lost: unless a backup holds the same bytes, it is kept first.
  if (file_size(jar.c_str()) >= 0) {
    bool kept = false;
    for (const VersionBackup& other : list_version_backups(game_folder)) {
      if (other.id == backup.id && same_file_contents(jar, folder + "backup\\" + other.name.file)) {
        kept = true;
        break;
      }
    }
    if (!kept) {
      bool folder_made = false;
      result.outcome = backup_version_jar(folder, jar, stamp, &folder_made);
      if (!result.outcome.ok()) return result;
      result.new_backup = result.outcome.path;
    }
  }
  result.outcome = copy_jar_to(chosen, jar, /*replace=*/true);
  return result;
}
