// Platform-free path preparation shared by the file operations and the listings.
#pragma once

#include <string>

namespace fs_path {

constexpr size_t kPathLimit = 260;

// The path (nullptr counts as ""), cut after kPathLimit characters.
std::string cut(const char* path);

// "X:", "X:\" or "X:/": a drive letter naming the drive's root.
bool is_drive_root(const std::string& path);

// Removes every trailing character that occurs in chars.
void strip_trailing(std::string& path, const char* chars);

// A network path ("\\server\...") or a path that starts with "..".
bool is_network_or_parent(const std::string& path);

// The search path of a listing: the folder, cut, followed by "\" unless it is empty or already
// ends in "\", then the pattern ("*.*" when it is missing or empty).
std::string listing_search_path(const char* folder, const char* pattern);

}  // namespace fs_path
