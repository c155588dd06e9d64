// Backing up, replacing and restoring the client jar with real files.
//
// Every copy is made under a name that no file has (CopyFileA refuses an existing target), so
// a failure can only ever delete what this run made, and a copy reaches its final name in one
// rename or move.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "app/install.h"
#include "app/paths.h"
#include "fs/fs.h"
#include "process/process.h"
#include "runtime/handles_win.h"

namespace {

constexpr int kStagingNames = 100;  // "x.pelmora-neu", "x.pelmora-neu-2", ...

FileOutcome failure(FileProblem problem, const std::string& path, uint32_t error = 0) {
  FileOutcome outcome;
  outcome.problem = problem;
  outcome.system_error = error;
  outcome.path = path;
  return outcome;
}

FileOutcome success(const std::string& path) {
  FileOutcome outcome;
  outcome.path = path;
  return outcome;
}

uint32_t last_error() {
  const DWORD error = GetLastError();
  return error ? error : ERROR_GEN_FAILURE;
}

// The size of a file that must exist, or the failure that stops the step.
bool source_size(const std::string& path, int64_t* size, FileOutcome* problem) {
  *size = file_size(path.c_str());
  if (*size == -1) {
    *problem = failure(FileProblem::not_found, path, ERROR_FILE_NOT_FOUND);
    return false;
  }
  if (*size < 0) {
    *problem = failure(FileProblem::not_a_file, path);
    return false;
  }
  return true;
}

// 0 when the file can be opened for reading, else the system's reason.
uint32_t read_error(const std::string& path) {
  const win::Handle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return file ? 0 : last_error();
}

// Copies source to the first name of base, base + "-2", ... that no file has; *made is the copy.
// A copy that failed half-way is ours and is removed. The failure names the source when the
// source cannot be read (the game holding it, for example), else the copy's target.
FileOutcome copy_to_new_name(const std::string& source, const std::string& base,
                             const std::string& target_shown, std::string* made) {
  for (int attempt = 1; attempt <= kStagingNames; ++attempt) {
    const std::string name = attempt == 1 ? base : base + "-" + std::to_string(attempt);
    if (file_size(name.c_str()) != -1) continue;
    if (CopyFileA(source.c_str(), name.c_str(), TRUE)) {
      *made = name;
      return success(name);
    }
    const uint32_t error = last_error();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;  // taken meanwhile
    if (file_size(name.c_str()) != -1) DeleteFileA(name.c_str());
    if (const uint32_t unreadable = read_error(source)) {
      return failure(FileProblem::copy_failed, source, unreadable);
    }
    return failure(FileProblem::copy_failed, target_shown, error);
  }
  return failure(FileProblem::no_free_name, target_shown);
}

// Waits, at most limit_ms, until the file at path has the expected size.
bool wait_for_size(const std::string& path, int64_t expected, int limit_ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (file_size(path.c_str()) == expected) return true;
    if (static_cast<int64_t>(GetTickCount() - start) >= limit_ms) return false;
    delay_ms(1);
  }
}

// Makes one backup under the name for `attempt`: copy beside it under a name of its own, wait
// for the copy, then the rename, which fails rather than replace a file that took the name.
// *taken is set when the name was found taken and the next one should be tried.
FileOutcome backup_as(const std::string& client, int64_t size, const std::string& name,
                      const BackupSettings& settings, bool* taken) {
  *taken = false;
  std::string copy;
  FileOutcome outcome = copy_to_new_name(client, name + ".pelmora-neu", name, &copy);
  if (!outcome.ok()) return outcome;
  if (!wait_for_size(copy, size, settings.wait_limit_ms)) {
    DeleteFileA(copy.c_str());
    return failure(FileProblem::incomplete, name);
  }
  delay_ms(settings.pause_ms);
  if (file_rename(copy.c_str(), name.c_str())) return success(name);
  const uint32_t error = last_error();
  DeleteFileA(copy.c_str());
  if (file_size(name.c_str()) != -1) {
    *taken = true;
    return failure(FileProblem::no_free_name, name);
  }
  return failure(FileProblem::rename_failed, name, error);
}

// Reads exactly `length` bytes; false at the end of the file or on an error.
bool read_exactly(HANDLE file, char* buffer, DWORD length) {
  while (length > 0) {
    DWORD got = 0;
    if (!ReadFile(file, buffer, length, &got, nullptr) || got == 0) return false;
    buffer += got;
    length -= got;
  }
  return true;
}

win::Handle open_for_reading(const std::string& path) {
  return win::Handle(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

// The names in the folder that begin with the stamp.
std::vector<std::string> names_with_stamp(const std::string& folder, const std::string& stamp) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  const HANDLE find = FindFirstFileA((folder + stamp + "*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    names.push_back(found.cFileName);
  } while (FindNextFileA(find, &found));
  FindClose(find);
  return names;
}

}  // namespace

FileOutcome backup_client_jar(const std::string& game_folder, const std::string& stamp,
                              const BackupSettings& settings) {
  const std::string client = client_jar_path(game_folder);
  FileOutcome outcome;
  int64_t size = 0;
  if (!source_size(client, &size, &outcome)) return outcome;

  const std::string folder = backup_folder_path(game_folder);
  const bool folder_made = dir_create(folder.c_str()) != 0;
  const int first = next_backup_number(names_with_stamp(folder, stamp), stamp);
  outcome = failure(FileProblem::no_free_name, backup_name_path(game_folder, stamp, first));
  for (int attempt = first; attempt <= settings.max_names; ++attempt) {
    const std::string name = backup_name_path(game_folder, stamp, attempt);
    if (file_size(name.c_str()) != -1) continue;
    bool taken = false;
    outcome = backup_as(client, size, name, settings, &taken);
    if (!taken) break;
  }
  if (outcome.problem == FileProblem::no_free_name) {
    outcome.path = backup_name_path(game_folder, stamp, first);
  }
  // A failed backup changes nothing: a backup folder made for it goes again.
  if (!outcome.ok() && folder_made) RemoveDirectoryA(folder.c_str());
  return outcome;
}

FileOutcome install_client_jar(const std::string& source, const std::string& game_folder) {
  // The copy beside the client jar is checked itself before it replaces it: a jar that changed or
  // was cut short on the way is never installed.
  return copy_jar_to(source, client_jar_path(game_folder), /*replace=*/true);
}

FileOutcome copy_jar_to(const std::string& source, const std::string& target, bool replace) {
  FileOutcome outcome;
  int64_t size = 0;
  if (!source_size(source, &size, &outcome)) return outcome;
  std::string staging;
  outcome = copy_to_new_name(source, target + ".pelmora-neu", target, &staging);
  if (!outcome.ok()) return outcome;
  if (file_size(staging.c_str()) != size) {
    DeleteFileA(staging.c_str());
    return failure(FileProblem::incomplete, target);
  }
  outcome = check_jar_outcome(staging);
  if (!outcome.ok()) {
    DeleteFileA(staging.c_str());
    outcome.path = source;
    return outcome;
  }
  const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
  if (!MoveFileExA(staging.c_str(), target.c_str(), flags)) {
    const uint32_t error = last_error();
    DeleteFileA(staging.c_str());
    return failure(FileProblem::replace_failed, target, error);
  }
  return success(target);
}

FileOutcome check_jar_outcome(const std::string& path) {
  if (file_size(path.c_str()) == -1)
    return failure(FileProblem::not_found, path, ERROR_FILE_NOT_FOUND);
  return jar_check_outcome(check_jar_file(path), path);
}

bool same_file_contents(const std::string& a, const std::string& b) {
  const int64_t size = file_size(a.c_str());
  if (size < 0 || file_size(b.c_str()) != size) return false;
  const win::Handle first = open_for_reading(a);
  const win::Handle second = open_for_reading(b);
  if (!first.ok() || !second.ok()) return false;
  constexpr DWORD kChunk = 1 << 20;
  std::string left(kChunk, '\0');
  std::string right(kChunk, '\0');
  for (int64_t done = 0; done < size;) {
    const DWORD length = static_cast<DWORD>(std::min<int64_t>(kChunk, size - done));
    if (!read_exactly(first.get(), &left[0], length) ||
        !read_exactly(second.get(), &right[0], length) ||
        std::memcmp(left.data(), right.data(), length) != 0) {
      return false;
    }
    done += length;
  }
  return true;
}

RestoreResult restore_backup(const std::string& backup, const std::string& game_folder,
                             const std::vector<std::string>& backups, const std::string& stamp,
                             const BackupSettings& settings) {
  RestoreResult result;
  result.outcome = check_jar_outcome(backup);
  if (!result.outcome.ok()) return result;

  // Restoring never loses the installed jar: unless a backup holds the same bytes, it is
  // backed up first.
  const std::string client = client_jar_path(game_folder);
  if (file_size(client.c_str()) >= 0) {
    const bool kept = std::any_of(backups.begin(), backups.end(), [&](const std::string& path) {
      return same_file_contents(client, path);
    });
    if (!kept) {
      result.outcome = backup_client_jar(game_folder, stamp, settings);
      if (!result.outcome.ok()) return result;
      result.new_backup = result.outcome.path;
    }
  }
  result.outcome = install_client_jar(backup, game_folder);
  return result;
}
