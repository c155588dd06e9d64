// File and directory operations on the ANSI file functions.
#include <windows.h>

#include "fs/fs.h"
#include "fs/path.h"
#include "runtime/handles_win.h"

namespace {

// -2 for a drive that has a root directory, -1 for a letter that is not in use.
int64_t drive_size(std::string root) {
  if (root.empty() || root.back() != '\\') root += '\\';
  return GetDriveTypeA(root.c_str()) > DRIVE_NO_ROOT_DIR ? -2 : -1;
}

}  // namespace

int64_t file_size(const char* path) {
  if (path == nullptr || *path == '\0') return -1;
  std::string p = fs_path::cut(path);
  if (fs_path::is_drive_root(p)) return drive_size(p);

  // A search for "folder\" finds nothing: look the folder itself up.
  fs_path::strip_trailing(p, "\\/");
  if (p.empty()) return -1;
  if (fs_path::is_drive_root(p)) return drive_size(p);

  WIN32_FIND_DATAA found;
  const win::FindHandle search(FindFirstFileA(p.c_str(), &found));
  if (search.ok()) {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -2;
    return static_cast<int64_t>((static_cast<uint64_t>(found.nFileSizeHigh) << 32) |
                                found.nFileSizeLow);
  }

  // A share root ("\\server\share") or a parent reference has no entry of its own to find.
  if (fs_path::is_network_or_parent(p)) {
    const DWORD attributes = GetFileAttributesA(p.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
      return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? -2 : -1;
    }
    return drive_size(p);
  }
  return -1;
}

int32_t dir_create(const char* path) {
  if (path == nullptr) return 0;
  std::string p = fs_path::cut(path);
  fs_path::strip_trailing(p, " \\/");
  if (p.empty()) return 0;
  return CreateDirectoryA(p.c_str(), nullptr) ? 1 : 0;
}

int32_t file_copy(const char* source, const char* destination) {
  if (source == nullptr || destination == nullptr) return 0;
  return CopyFileA(source, destination, FALSE) ? 1 : 0;
}

int32_t file_delete(const char* path) {
  if (path == nullptr) return 0;
  return DeleteFileA(path) ? 1 : 0;
}

int32_t file_rename(const char* old_path, const char* new_path) {
  if (old_path == nullptr || new_path == nullptr) return 0;
  return MoveFileA(old_path, new_path) ? 1 : 0;
}

std::string current_directory() {
  std::string buffer(fs_path::kPathLimit, '\0');
  DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), &buffer[0]);
  // A longer directory reports the size it needs (terminating zero included): ask again with
  // that much room, since the directory may change in between.
  while (length >= buffer.size()) {
    buffer.assign(length + 1, '\0');
    length = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), &buffer[0]);
  }
  buffer.resize(length);
  if (!buffer.empty() && buffer.back() != '\\') buffer += '\\';
  return buffer;
}
