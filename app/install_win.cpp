// Backing up, replacing and restoring the client jar with real files.
//
// Every copy is made under a name that no file has (CopyFileA refuses an existing target), so
// a failure can only ever delete what this run made, and a copy reaches its final name in one
// rename or move. A copy loses the read-only mark CopyFileA carries over from its source, so
// that it can be removed after a failure and never makes the client jar read-only; a clean-up
// that fails is reported with the outcome.
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

// Takes the read-only mark off a file; false, with the system's error set, when it stays.
bool make_writable(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  if (!(attributes & FILE_ATTRIBUTE_READONLY)) return true;
  const DWORD rest = attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
  return SetFileAttributesA(path.c_str(), rest ? rest : FILE_ATTRIBUTE_NORMAL) != 0;
}

// Removes a file the program made; false when it is still there afterwards (a read-only mount
// reports success and keeps the file).
bool remove_made(const std::string& path) {
  if (!DeleteFileA(path.c_str()) && make_writable(path)) DeleteFileA(path.c_str());
  return file_size(path.c_str()) == -1;
}

// The failure after removing the file this run made; a file that stays is named in the outcome.
FileOutcome cleaned_up(FileOutcome outcome, const std::string& made) {
  if (!remove_made(made)) outcome.left_behind = made;
  return outcome;
}

// Forces a file's bytes to the disk. 0, or the system's reason.
uint32_t flush_to_disk(const std::string& path) {
  const win::Handle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file || !FlushFileBuffers(file.get())) return last_error();
  return 0;
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
      if (make_writable(name)) {
        *made = name;
        return success(name);
      }
      return cleaned_up(failure(FileProblem::copy_failed, target_shown, last_error()), name);
    }
    const uint32_t error = last_error();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;  // taken meanwhile
    FileOutcome outcome = failure(FileProblem::copy_failed, target_shown, error);
    if (const uint32_t unreadable = read_error(source)) {
      outcome = failure(FileProblem::copy_failed, source, unreadable);
    }
    return file_size(name.c_str()) == -1 ? outcome : cleaned_up(outcome, name);
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
  FileOutcome outcome = copy_to_new_name(client, name + kStagingSuffix, name, &copy);
  if (!outcome.ok()) return outcome;
  if (!wait_for_size(copy, size, settings.wait_limit_ms)) {
    return cleaned_up(failure(FileProblem::incomplete, name), copy);
  }
  delay_ms(settings.pause_ms);
  if (file_rename(copy.c_str(), name.c_str())) return success(name);
  const uint32_t error = last_error();
  const bool name_taken = file_size(name.c_str()) != -1;
  outcome = cleaned_up(name_taken ? failure(FileProblem::no_free_name, name)
                                  : failure(FileProblem::rename_failed, name, error),
                       copy);
  // The next name is tried only when this copy is gone.
  *taken = name_taken && outcome.left_behind.empty();
  return outcome;
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
  const std::string folder_name = folder.substr(0, folder.size() - 1);
  if (file_size(folder_name.c_str()) >= 0) {
    return failure(FileProblem::backup_folder_is_file, folder_name);
  }
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
  // A failed backup changes nothing: a backup folder made for it goes again (an empty one that
  // stays harms nothing; one holding a copy that stayed is named by the outcome already).
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
  outcome = copy_to_new_name(source, target + kStagingSuffix, target, &staging);
  if (!outcome.ok()) return outcome;
  if (file_size(staging.c_str()) != size) {
    return cleaned_up(failure(FileProblem::incomplete, target), staging);
  }
  outcome = check_jar_outcome(staging);
  if (!outcome.ok()) {
    outcome.path = source;
    return cleaned_up(outcome, staging);
  }
  // On the disk before it takes the target's name: a power cut never leaves a jar of zeros.
  if (const uint32_t error = flush_to_disk(staging)) {
    return cleaned_up(failure(FileProblem::copy_failed, target, error), staging);
  }
  // A read-only target (left by an earlier version) is replaced all the same; it keeps its mark
  // when the move fails.
  const DWORD attributes = replace ? GetFileAttributesA(target.c_str()) : INVALID_FILE_ATTRIBUTES;
  const bool read_only =
      attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
  if (read_only) make_writable(target);
  const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
  if (!MoveFileExA(staging.c_str(), target.c_str(), flags)) {
    const uint32_t error = last_error();
    if (read_only) SetFileAttributesA(target.c_str(), attributes);
    return cleaned_up(failure(FileProblem::replace_failed, target, error), staging);
  }
  return success(target);
}

std::vector<std::string> remove_staging_files(const std::vector<StagingFolder>& folders) {
  std::vector<std::string> left;
  for (const StagingFolder& folder : folders) {
    WIN32_FIND_DATAA entry;
    const HANDLE search =
        FindFirstFileA((folder.path + "*" + kStagingSuffix + "*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) continue;
    std::vector<std::string> found;
    do {
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      const std::string target = staging_target_name(entry.cFileName);
      if (!target.empty() && folder.is_target(target)) found.push_back(entry.cFileName);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    for (const std::string& name : found) {
      if (!remove_made(folder.path + name)) left.push_back(folder.path + name);
    }
  }
  return left;
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
