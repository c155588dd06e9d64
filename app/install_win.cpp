// Backing up and replacing the client jar with real files.
#include <windows.h>

#include "app/install.h"
#include "app/paths.h"
#include "fs/fs.h"
#include "process/process.h"

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

// Copies source to target; the error code of a failed copy, 0 on success. A failed copy may
// leave a partial target behind, so it is removed.
uint32_t copy_or_clean(const std::string& source, const std::string& target) {
  if (file_copy(source.c_str(), target.c_str())) return 0;
  uint32_t error = GetLastError();
  if (error == 0) error = ERROR_GEN_FAILURE;
  file_delete(target.c_str());
  return error;
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

// Gives the copy the first free backup name for the stamp. A name that exists is never
// overwritten: the rename fails on it and the next name is tried.
FileOutcome name_backup(const std::string& copy, const std::string& game_folder,
                        const std::string& stamp, int max_names) {
  for (int attempt = 1; attempt <= max_names; ++attempt) {
    const std::string name = backup_name_path(game_folder, stamp, attempt);
    if (file_size(name.c_str()) != -1) continue;
    if (file_rename(copy.c_str(), name.c_str())) return success(name);
    const uint32_t error = GetLastError();
    if (file_size(name.c_str()) != -1) continue;  // taken meanwhile
    return failure(FileProblem::rename_failed, name, error ? error : ERROR_GEN_FAILURE);
  }
  return failure(FileProblem::no_free_name, backup_folder_path(game_folder) + stamp + ".jar");
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
  const std::string copy = backup_copy_path(game_folder);
  if (const uint32_t error = copy_or_clean(client, copy)) {
    outcome = failure(FileProblem::copy_failed, copy, error);
  } else if (!wait_for_size(copy, size, settings.wait_limit_ms)) {
    file_delete(copy.c_str());
    outcome = failure(FileProblem::incomplete, copy);
  } else {
    delay_ms(settings.pause_ms);
    outcome = name_backup(copy, game_folder, stamp, settings.max_names);
    if (!outcome.ok()) file_delete(copy.c_str());
  }
  // A failed backup changes nothing: a backup folder made for it goes again.
  if (!outcome.ok() && folder_made) RemoveDirectoryA(folder.c_str());
  return outcome;
}

FileOutcome install_client_jar(const std::string& source, const std::string& game_folder) {
  FileOutcome outcome;
  int64_t size = 0;
  if (!source_size(source, &size, &outcome)) return outcome;

  const std::string client = client_jar_path(game_folder);
  const std::string staging = client_jar_staging_path(game_folder);
  if (const uint32_t error = copy_or_clean(source, staging)) {
    return failure(FileProblem::copy_failed, client, error);
  }
  if (file_size(staging.c_str()) != size) {
    file_delete(staging.c_str());
    return failure(FileProblem::incomplete, client);
  }
  if (!MoveFileExA(staging.c_str(), client.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const uint32_t error = GetLastError();
    file_delete(staging.c_str());
    return failure(FileProblem::replace_failed, client, error ? error : ERROR_GEN_FAILURE);
  }
  return success(client);
}
