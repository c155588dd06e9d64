// Paths of the game folder, the jar folder and the backups, and the table of jar names.
// Platform-free. Paths are joined by plain concatenation: a folder carries its trailing "\".
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// G + "bin\minecraft.jar": the game's client jar.
std::string client_jar_path(const std::string& game_folder);
// G + "bin\backup\": the backup folder.
std::string backup_folder_path(const std::string& game_folder);
// G + "bin\backup\minecraft.jar": the copy of the client jar before it gets its backup name.
std::string backup_copy_path(const std::string& game_folder);
// The backup name for a start-up stamp such as "24_12_2012_18_05_09": attempt 1 gives
// G + "bin\backup\24_12_2012_18_05_09.jar", attempt n > 1 gives "..._n.jar" (runs started in
// the same second).
std::string backup_name_path(const std::string& game_folder, const std::string& stamp, int attempt);
// G + "bin\minecraft.jar.pelmora-neu": the new client jar is copied here, then moved over the
// client jar in one step.
std::string client_jar_staging_path(const std::string& game_folder);
// C + "jar\" + name: the jar to install, from the jar folder below the current directory.
std::string install_source_path(const std::string& current_directory, const std::string& name);

// The names found in the jar folder, in listing order. It holds at most kCapacity names, so
// that the slot after the last name is always empty; further names are ignored. Reading a
// slot without a name gives "". Memory grows with the names actually stored.
class JarNames {
 public:
  static constexpr size_t kSlots = 1000001;
  static constexpr size_t kCapacity = kSlots - 1;

  // Stores the name in the next slot; false (nothing stored) when the table is full or the
  // name is empty (an empty slot marks the end of the names).
  bool add(std::string name);
  const std::string& operator[](size_t index) const;
  size_t count() const { return names_.size(); }
  void clear() { names_.clear(); }

 private:
  std::vector<std::string> names_;
};
