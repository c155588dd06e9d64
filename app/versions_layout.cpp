#include <algorithm>

#include "app/texts.h"
#include "app/version_texts.h"
#include "app/versions.h"

std::string versions_folder_path(const std::string& game_folder) {
  return game_folder + "versions\\";
}

std::string version_folder_path(const std::string& game_folder, const std::string& id) {
  return versions_folder_path(game_folder) + id + "\\";
}

std::string pelmora_ini_text(const std::string& base, const std::string& jar_name,
                             const std::string& installed,
                             const std::vector<std::string>& extra_lines) {
  std::string text = "[Pelmora]\r\nBasis = " + base + "\r\nJar = " + jar_name +
                     "\r\nInstalliert = " + installed + "\r\n";
  for (const std::string& line : extra_lines) text += line + "\r\n";
  return text;
}

std::string mods_ini_line(const std::vector<std::string>& mods) {
  std::string line = "Mods = ";
  for (size_t i = 0; i < mods.size(); ++i) line += (i ? "; " : "") + mods[i];
  return line;
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

std::string version_choice_text(const std::string& jar_name) {
  return texts::kVersionForBefore + jar_name + texts::kVersionForAfter;
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
