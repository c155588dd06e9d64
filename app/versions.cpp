#include "app/versions.h"

#include <cstdio>

#include "app/texts.h"

bool is_base_version_json(const VersionJsonInfo& info, const std::string& folder) {
  return info.object && info.has_id && !info.inherits && info.id == utf8_from_cp1252(folder);
}

std::string version_id_candidate(const std::string& stem, int attempt) {
  if (attempt <= 0) return stem;
  std::string id = stem + texts::kVersionIdSuffix;
  if (attempt >= 2) id += "-" + std::to_string(attempt);
  return id;
}

std::string jar_stem(const std::string& jar_name) {
  const size_t n = jar_name.size();
  if (n < 4 || jar_name[n - 4] != '.') return jar_name;
  for (size_t i = 1; i < 4; ++i) {
    const char c = static_cast<char>(jar_name[n - 4 + i] | 0x20);
    if (c != "jar"[i - 1]) return jar_name;
  }
  return jar_name.substr(0, n - 4);
}

std::string iso_utc_text(int year, int month, int day, int hour, int minute, int second,
                         int millisecond) {
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", year, month, day, hour,
                minute, second, millisecond);
  return text;
}

LauncherProfile pelmora_profile(const std::string& id, const std::string& time) {
  const std::string utf8_id = utf8_from_cp1252(id);
  return {texts::kProfileKeyPrefix + utf8_id, utf8_id + texts::kProfileNameSuffix, utf8_id, time};
}

std::string version_installed_text(const std::string& id, bool profile_written) {
  std::string text = texts::kVersionInstalledBefore + id + texts::kVersionInstalledAfter;
  if (profile_written) {
    return text + texts::kProfileWrittenBefore + id + texts::kProfileNameSuffix +
           texts::kProfileWrittenAfter;
  }
  return text + texts::kNoProfileBefore + id + texts::kNoProfileAfter;
}

std::string version_exists_question(const std::string& id) {
  return texts::kVersionExistsBefore + id + texts::kVersionExistsAfter;
}

std::string version_backup_shown_text(const std::string& id, const BackupName& backup) {
  return id + ": " + backup_shown_text(backup);
}
