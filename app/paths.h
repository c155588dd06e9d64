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
// The backup name for a start-up stamp such as "24_12_2012_18_05_09": attempt 1 gives
// G + "bin\backup\24_12_2012_18_05_09.jar", attempt n > 1 gives "..._n.jar" (runs started in
// the same second).
std::string backup_name_path(const std::string& game_folder, const std::string& stamp, int attempt);
// G + "bin\minecraft.jar.pelmora-neu": the new client jar is copied here, then moved over the
// client jar in one step.
std::string client_jar_staging_path(const std::string& game_folder);
// C + "jar\" + name: the jar to install, from the jar folder below the current directory.
std::string install_source_path(const std::string& current_directory, const std::string& name);

// A backup's file name as the program makes it: "dd_mm_yyyy_hh_mm_ss.jar", or for a later run of
// the same second "dd_mm_yyyy_hh_mm_ss_N.jar" with N from 2. Other names are not backups.
struct BackupName {
  std::string file;
  int day = 0, month = 0, year = 0, hour = 0, minute = 0, second = 0;
  int number = 1;  // 1 for the name without "_N"
};
bool parse_backup_name(const std::string& file, BackupName* backup);
// The number for a new backup of `stamp` among the names in the backup folder: one more than the
// highest backup of that stamp, 1 when there is none. Counting on from the highest keeps the
// order of the names the order in which the backups were made, even after one was deleted.
int next_backup_number(const std::vector<std::string>& files, const std::string& stamp);
// Newest first by the time in the name; within one second the higher number first.
void sort_newest_first(std::vector<BackupName>* backups);
// How a backup is shown: "24.12.2012 18:05:09", with " (2)" appended for a numbered one.
std::string backup_shown_text(const BackupName& backup);

// The text with the ASCII letters A-Z lowered and every other byte as it is.
std::string lower_ascii(std::string text);
// True for a name that ends in ".jar" in any case, with a name before it.
bool ends_with_jar(const std::string& name);

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
