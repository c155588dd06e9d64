#include "fs/path.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FsPath, CutKeepsAtMostTheLimit) {
  EXPECT_EQ(fs_path::cut(nullptr), "");
  EXPECT_EQ(fs_path::cut("jar"), "jar");
  const std::string exact(fs_path::kPathLimit, 'a');
  EXPECT_EQ(fs_path::cut(exact.c_str()), exact);
  const std::string longer(5000, 'b');
  EXPECT_EQ(fs_path::cut(longer.c_str()), std::string(fs_path::kPathLimit, 'b'));
}

TEST(FsPath, DriveRoots) {
  for (const char* root : {"C:", "C:\\", "z:/"}) EXPECT_TRUE(fs_path::is_drive_root(root)) << root;
  for (const char* other : {"", "C", "C:x", "C:\\x", "\\\\", "jar", "ab\\"}) {
    EXPECT_FALSE(fs_path::is_drive_root(other)) << other;
  }
}

TEST(FsPath, StripTrailing) {
  std::string p = "jar\\\\/";
  fs_path::strip_trailing(p, "\\/");
  EXPECT_EQ(p, "jar");
  p = "a b \\ ";
  fs_path::strip_trailing(p, " \\/");
  EXPECT_EQ(p, "a b");
  p = "\\\\ /";
  fs_path::strip_trailing(p, " \\/");
  EXPECT_EQ(p, "");
}

TEST(FsPath, NetworkOrParent) {
  EXPECT_TRUE(fs_path::is_network_or_parent("\\\\server\\share"));
  EXPECT_TRUE(fs_path::is_network_or_parent(".."));
  EXPECT_TRUE(fs_path::is_network_or_parent("..\\jar"));
  EXPECT_FALSE(fs_path::is_network_or_parent("\\jar"));
  EXPECT_FALSE(fs_path::is_network_or_parent(".\\jar"));
  EXPECT_FALSE(fs_path::is_network_or_parent(""));
}

TEST(FsPath, ListingSearchPath) {
  EXPECT_EQ(fs_path::listing_search_path("jar", "*.jar"), "jar\\*.jar");
  EXPECT_EQ(fs_path::listing_search_path("jar\\", "*.jar"), "jar\\*.jar");
  EXPECT_EQ(fs_path::listing_search_path("jar/", "*.jar"), "jar/\\*.jar");
  EXPECT_EQ(fs_path::listing_search_path("", "*.jar"), "*.jar");
  EXPECT_EQ(fs_path::listing_search_path(nullptr, nullptr), "*.*");
  EXPECT_EQ(fs_path::listing_search_path("jar", ""), "jar\\*.*");
  // The folder is cut, the pattern never is.
  const std::string folder(400, 'f');
  EXPECT_EQ(fs_path::listing_search_path(folder.c_str(), "*.jar"),
            std::string(fs_path::kPathLimit, 'f') + "\\*.jar");
}

}  // namespace
