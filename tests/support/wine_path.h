// A Unix path as Wine's drive Z: shows it ("/a/b" is "Z:\a\b"). Platform-free.
#pragma once

#include <string>

namespace test_support {

inline std::string wine_path(const std::string& unix) {
  std::string path = "Z:" + unix;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

}  // namespace test_support
