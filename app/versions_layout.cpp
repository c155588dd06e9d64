#include <algorithm>
#include <cstdio>

#include "app/texts.h"
#include "app/version_texts.h"
#include "app/versions.h"

std::string versions_folder_path(const std::string& game_folder) {
  return game_folder + "versions\\";
}

std::string version_folder_path(const std::string& game_folder, const std::string& id) {
  return versions_folder_path(game_folder) + id + "\\";
}

std::string jar_stem(const std::string& jar_name) {
  if (jar_name.size() < 4) return jar_name;
  std::string tail = jar_name.substr(jar_name.size() - 4);
  std::transform(tail.begin(), tail.end(), tail.begin(),
                 [](char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
  return tail == ".jar" ? jar_name.substr(0, jar_name.size() - 4) : jar_name;
}

std::string version_id_candidate(const std::string& stem, int attempt) {
  if (attempt <= 1) return stem;
  if (attempt == 2) return stem + "-pelmora";
  return stem + "-pelmora-" + std::to_string(attempt - 1);
}

std::string pelmora_ini_text(const std::string& base, const std::string& jar_name,
                             const std::string& installed) {
  return "[Pelmora]\r\nBasis = " + base + "\r\nJar = " + jar_name +
         "\r\nInstalliert = " + installed + "\r\n";
}

std::string launcher_time_text(int year, int month, int day, int hour, int minute, int second,
                               int millisecond) {
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", year, month, day, hour,
                minute, second, millisecond);
  return text;
}

void sort_version_backups(std::vector<VersionBackup>* backups) {
  // The order is total (time, number, id), so a plain sort gives the same list every time.
  std::sort(backups->begin(), backups->end(), [](const VersionBackup& a, const VersionBackup& b) {
    const BackupName& x = a.name;
    const BackupName& y = b.name;
    const int left[] = {x.year, x.month, x.day, x.hour, x.minute, x.second, x.number};
    const int right[] = {y.year, y.month, y.day, y.hour, y.minute, y.second, y.number};
    for (size_t i = 0; i < 7; ++i) {
      if (left[i] != right[i]) return left[i] > right[i];
    }
    return a.id < b.id;
  });
}

std::string version_backup_shown_text(const VersionBackup& backup) {
  return backup.id + ": " + backup_shown_text(backup.name);
}

std::string version_choice_text(const std::string& jar_name) {
  return texts::kVersionForBefore + jar_name + texts::kVersionForAfter;
}

std::string version_exists_question(const std::string& id) {
  return texts::kVersionExistsBefore + id + texts::kVersionExistsAfter;
}

std::string version_installed_text(const std::string& id, bool profile_written) {
  std::string text = texts::kVersionInstalledBefore + id + texts::kVersionInstalledAfter;
  if (profile_written)
    return text + texts::kProfileWrittenBefore + id + texts::kProfileWrittenAfter;
  return text + texts::kProfileMissingBefore + id + texts::kProfileMissingAfter;
}

std::string version_failure_text(const std::string& id, const std::string& reason_and_path) {
  return texts::kVersionFailedBefore + id + texts::kVersionFailedAfter + "\n" + reason_and_path +
         "\n\n" + texts::kNothingChanged;
}

std::string version_restore_done_text(const VersionBackup& backup, const std::string& new_backup) {
  std::string text =
      texts::kRestoredBefore + backup_shown_text(backup.name) + texts::kRestoredAfter;
  if (!new_backup.empty()) {
    text += std::string("\n\n") + texts::kFormerBefore + backup.id + ".jar" +
            texts::kFormerKeptAfter + "\n" + new_backup;
  }
  return text;
}

std::string version_restore_failure_text(const VersionBackup& backup, const FileOutcome& outcome,
                                         const std::string& new_backup) {
  std::string text = std::string(texts::kRestoreFailed) + "\n" + failure_reason_text(outcome) +
                     "\n\n" + texts::kFormerBefore + backup.id + ".jar" +
                     texts::kFormerUnchangedAfter;
  if (!new_backup.empty()) text += std::string("\n") + texts::kBackupLocation + "\n" + new_backup;
  return text;
}
