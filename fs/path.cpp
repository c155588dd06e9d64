#include "fs/path.h"

#include <cstring>

namespace fs_path {

std::string cut(const char* path) {
  if (path == nullptr) return std::string();
  return std::string(path, strnlen(path, kPathLimit));
}

bool is_drive_root(const std::string& path) {
  if (path.size() < 2 || path.size() > 3 || path[1] != ':') return false;
  // "C:name" is a name relative to the drive's current folder, not the drive itself.
  return path.size() == 2 || path[2] == '\\' || path[2] == '/';
}

void strip_trailing(std::string& path, const char* chars) {
  const size_t keep = path.find_last_not_of(chars);
  path.resize(keep == std::string::npos ? 0 : keep + 1);
}

bool is_network_or_parent(const std::string& path) {
  return path.compare(0, 2, "\\\\") == 0 || path.compare(0, 2, "..") == 0;
}

std::string listing_search_path(const char* folder, const char* pattern) {
  std::string path = cut(folder);
  if (!path.empty() && path.back() != '\\') path += '\\';
  path += (pattern != nullptr && *pattern != '\0') ? pattern : "*.*";
  return path;
}

}  // namespace fs_path
