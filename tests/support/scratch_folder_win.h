// A fresh folder under the temporary directory for tests that need real files, removed with
// everything in it when the test ends.
#pragma once

#include <windows.h>

#include <string>

#include "runtime/handles_win.h"

namespace test_support {

class ScratchFolder {
 public:
  ScratchFolder() {
    char temp[MAX_PATH];
    const DWORD n = GetTempPathA(MAX_PATH, temp);
    std::string base = n > 0 && n < MAX_PATH ? std::string(temp, n) : std::string("C:\\");
    if (base.back() != '\\') base += '\\';
    static int counter = 0;
    for (;;) {
      path_ = base + "pelmora-" + std::to_string(GetCurrentProcessId()) + "-" +
              std::to_string(++counter) + "\\";
      if (CreateDirectoryA(path_.c_str(), nullptr)) break;
      if (GetLastError() != ERROR_ALREADY_EXISTS) {
        path_.clear();
        break;
      }
    }
  }
  ~ScratchFolder() {
    if (!path_.empty()) remove_tree(path_);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  bool ok() const { return !path_.empty(); }
  // The folder, ending in "\".
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + name; }

  // Writes a file relative to the folder; true on success.
  bool write(const std::string& name, const std::string& content) const {
    return write_file(path_ + name, content);
  }

  static bool write_file(const std::string& path, const std::string& content) {
    const win::Handle h(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) return false;
    DWORD written = 0;
    const BOOL ok =
        content.empty() ||
        WriteFile(h.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    return ok && written == content.size();
  }

  // The file's content, or "<missing>" when it cannot be read.
  static std::string read_file(const std::string& path) {
    const win::Handle h(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) return "<missing>";
    std::string content;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(h.get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
      content.append(buffer, got);
    return content;
  }

  static bool exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  // Deletes a folder (ending in "\") with everything in it.
  static void remove_tree(const std::string& folder) {
    WIN32_FIND_DATAA entry;
    const HANDLE search = FindFirstFileA((folder + "*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        const std::string name = entry.cFileName;
        if (name == "." || name == "..") continue;
        const std::string full = folder + name;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          remove_tree(full + "\\");
        } else {
          SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
          DeleteFileA(full.c_str());
        }
      } while (FindNextFileA(search, &entry));
      FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
  }

 private:
  std::string path_;
};

// Restores the current directory when it goes out of scope.
class CurrentDirectoryGuard {
 public:
  CurrentDirectoryGuard() {
    char buffer[MAX_PATH * 2];
    const DWORD n = GetCurrentDirectoryA(sizeof buffer, buffer);
    saved_.assign(buffer, n < sizeof buffer ? n : 0);
  }
  ~CurrentDirectoryGuard() {
    if (!saved_.empty()) SetCurrentDirectoryA(saved_.c_str());
  }
  CurrentDirectoryGuard(const CurrentDirectoryGuard&) = delete;
  CurrentDirectoryGuard& operator=(const CurrentDirectoryGuard&) = delete;

 private:
  std::string saved_;
};

}  // namespace test_support
