#include "app/paths.h"

#include <algorithm>
#include <cstdio>
#include <tuple>
#include <utility>

std::string client_jar_path(const std::string& game_folder) {
  return game_folder + "bin\\minecraft.jar";
}

std::string backup_folder_path(const std::string& game_folder) {
  return game_folder + "bin\\backup\\";
}

std::string backup_name_path(const std::string& game_folder, const std::string& stamp,
                             int attempt) {
  std::string path = backup_folder_path(game_folder) + stamp;
  if (attempt > 1) path += "_" + std::to_string(attempt);
  return path + ".jar";
}

std::string client_jar_staging_path(const std::string& game_folder) {
  return client_jar_path(game_folder) + ".pelmora-neu";
}

std::string install_source_path(const std::string& current_directory, const std::string& name) {
  return current_directory + "jar\\" + name;
}

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Reads `width` digits at text[*at] followed by `separator` (0: the end of the digits).
bool take_number(const std::string& text, size_t* at, size_t width, char separator, int* value) {
  if (*at + width > text.size()) return false;
  int n = 0;
  for (size_t i = 0; i < width; ++i) {
    const char c = text[*at + i];
    if (!is_digit(c)) return false;
    n = n * 10 + (c - '0');
  }
  *at += width;
  if (separator) {
    if (*at >= text.size() || text[*at] != separator) return false;
    ++*at;
  }
  *value = n;
  return true;
}

}  // namespace

std::string lower_ascii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
  }
  return text;
}

bool ends_with_jar(const std::string& name) {
  return name.size() > 4 && lower_ascii(name.substr(name.size() - 4)) == ".jar";
}

bool parse_backup_name(const std::string& file, BackupName* backup) {
  if (!ends_with_jar(file)) return false;
  const std::string stem = file.substr(0, file.size() - 4);
  BackupName b;
  size_t at = 0;
  if (!take_number(stem, &at, 2, '_', &b.day) || !take_number(stem, &at, 2, '_', &b.month) ||
      !take_number(stem, &at, 4, '_', &b.year) || !take_number(stem, &at, 2, '_', &b.hour) ||
      !take_number(stem, &at, 2, '_', &b.minute) || !take_number(stem, &at, 2, 0, &b.second)) {
    return false;
  }
  if (b.day < 1 || b.day > 31 || b.month < 1 || b.month > 12 || b.hour > 23 || b.minute > 59 ||
      b.second > 59) {
    return false;
  }
  if (at < stem.size()) {
    // "_N": N from 2, written without leading zeros, as the program counts them.
    if (stem[at] != '_' || at + 1 >= stem.size() || stem[at + 1] == '0') return false;
    const size_t digits = stem.size() - at - 1;
    if (digits > 6 || !take_number(stem, &++at, digits, 0, &b.number) || b.number < 2) return false;
  }
  b.file = file;
  *backup = std::move(b);
  return true;
}

int next_backup_number(const std::vector<std::string>& files, const std::string& stamp) {
  int highest = 0;
  for (const std::string& file : files) {
    BackupName b;
    // A backup's stamp is its first 19 characters; parsing has checked the rest.
    if (file.compare(0, stamp.size(), stamp) == 0 && parse_backup_name(file, &b) &&
        (file.size() == stamp.size() + 4 || file[stamp.size()] == '_')) {
      highest = std::max(highest, b.number);
    }
  }
  return highest + 1;
}

void sort_newest_first(std::vector<BackupName>* backups) {
  const auto key = [](const BackupName& b) {
    return std::make_tuple(b.year, b.month, b.day, b.hour, b.minute, b.second, b.number);
  };
  std::stable_sort(backups->begin(), backups->end(),
                   [&](const BackupName& a, const BackupName& b) { return key(a) > key(b); });
}

std::string backup_shown_text(const BackupName& b) {
  char text[48];
  std::snprintf(text, sizeof text, "%02d.%02d.%04d %02d:%02d:%02d", b.day, b.month, b.year, b.hour,
                b.minute, b.second);
  std::string shown = text;
  if (b.number > 1) shown += " (" + std::to_string(b.number) + ")";
  return shown;
}

bool JarNames::add(std::string name) {
  if (name.empty() || names_.size() >= kCapacity) return false;
  names_.push_back(std::move(name));
  return true;
}

const std::string& JarNames::operator[](size_t index) const {
  static const std::string empty;
  return index < names_.size() ? names_[index] : empty;
}
