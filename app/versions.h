// The versions layout of a game folder: each version in "versions\<id>\" as "<id>.jar" beside
// "<id>.json". Pelmora installs a jar as a version of its own there (with "pelmora.ini"), and
// keeps a replaced version's jar in "versions\<id>\backup\".
//
// The names, texts and orderings are platform-free (versions.cpp, versions_layout.cpp); the file
// steps are Windows only (versions_win.cpp), and so are the windows (version_window.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/install.h"
#include "app/paths.h"
#include "app/version_json.h"

struct AppState;

// Whether a version json read from versions\<folder>\<folder>.json makes that folder a base
// version (its jar and pelmora.ini aside): a JSON object whose one "id" is the folder's name
// (Windows-1252, compared in UTF-8) and that has no "inheritsFrom".
bool is_base_version_json(const VersionJsonInfo& info, const std::string& folder);

// The id candidates for a jar `<stem>.jar`, in the order they are tried: attempt 0 gives
// "<stem>", 1 "<stem>-pelmora", n >= 2 "<stem>-pelmora-n".
std::string version_id_candidate(const std::string& stem, int attempt);
// The jar name without its ".jar" ending (any case); a name without it stays whole.
std::string jar_stem(const std::string& jar_name);

// "2026-12-07T18:05:09.000Z" for the fields of a UTC time.
std::string iso_utc_text(int year, int month, int day, int hour, int minute, int second,
                         int millisecond);

// The profile for version `id` (Windows-1252, as shown and as the folder is named): key
// "pelmora-<id>", name "<id> (Pelmora)", both edits' text in UTF-8; `time` as iso_utc_text gives.
LauncherProfile pelmora_profile(const std::string& id, const std::string& time);

// The "Info" text after an install as version `id`, with the profile's sentence when a launcher
// profile was written, else with the request to make an installation.
std::string version_installed_text(const std::string& id, bool profile_written);
// The "Frage" before a version Pelmora made is replaced.
std::string version_exists_question(const std::string& id);
// A version's backup in the restore list: "<id>: 24.12.2012 18:05:09", " (2)" for a numbered one.
std::string version_backup_shown_text(const std::string& id, const BackupName& backup);

// G + "versions\": the launcher's versions folder.
std::string versions_folder_path(const std::string& game_folder);
// G + "versions\<id>\".
std::string version_folder_path(const std::string& game_folder, const std::string& id);
// The contents of "pelmora.ini" for a version made from `base` with `jar_name`; `installed` is
// shown as "dd.mm.yyyy hh:mm:ss"; `extra_lines` follow, each ended like the others.
std::string pelmora_ini_text(const std::string& base, const std::string& jar_name,
                             const std::string& installed,
                             const std::vector<std::string>& extra_lines = {});
// The line of "pelmora.ini" naming the mods built into a version: "Mods = a.zip; b.jar".
std::string mods_ini_line(const std::vector<std::string>& mods);

// A backup of one of Pelmora's versions.
struct VersionBackup {
  std::string id;
  BackupName name;
};
// Newest first by the time in the name (the higher number first within one second), then by id.
void sort_version_backups(std::vector<VersionBackup>* backups);

// Texts of the versions layout.
std::string version_choice_text(const std::string& jar_name);
// The "Fehler!" message of a failed install as version `id`; reason_and_path is the reason with
// the path on the next line, as failure_reason_text gives it.
std::string version_failure_text(const std::string& id, const std::string& reason_and_path);
// The messages of a version's restore: done, and failed.
std::string version_restore_done_text(const VersionBackup& backup, const std::string& new_backup);
std::string version_restore_failure_text(const VersionBackup& backup, const FileOutcome& outcome,
                                         const std::string& new_backup);

#ifdef _WIN32
// Layout detection: true when the game folder has no "bin\minecraft.jar" but its versions
// folder holds at least one base version. Sets app.versions_layout.
void detect_game_layout(AppState& app);

// A file to install as a version: its path, the stem its id is made from, the jar name and extra
// lines that "pelmora.ini" holds.
struct VersionSource {
  std::string path;
  std::string stem;
  std::string jar_name;
  std::vector<std::string> ini_lines;
};

// The base versions of the game folder: folders "<id>" of its versions folder holding
// "<id>.json" (an object whose "id" is exactly <id>, without "inheritsFrom") and "<id>.jar"
// (passing the jar check), and no "pelmora.ini". At most `limit` are looked for.
std::vector<BaseVersion> list_base_versions(const std::string& game_folder, size_t limit);

// The folders "versions\<id>\" of Pelmora's versions (those holding "pelmora.ini").
std::vector<std::string> pelmora_version_folders(const std::string& game_folder);
// The backups of Pelmora's versions ("versions\<id>\backup\*.jar" of folders holding
// "pelmora.ini"), newest first.
std::vector<VersionBackup> list_version_backups(const std::string& game_folder);
// Puts a version's backup back as its jar with the safety of the client jar's restore: the
// backup must pass the jar check, and a jar that no backup of the version holds is kept first.
RestoreResult restore_version_backup(const std::string& game_folder, const VersionBackup& backup,
                                     const std::string& stamp);

// The outcome of installing a jar as a version.
struct VersionInstall {
  FileOutcome outcome;           // the failed step, or on success the version's jar
  std::string reason;            // a failure's reason when it is none of FileOutcome's ("")
  bool profile_written = false;  // a launcher profile names the version now
};
// Installs `source` as version `id` made from base `base`: the jar, the json
// and "pelmora.ini" each written beside its final name, checked and moved into place; a
// version of Pelmora's there is replaced, its jar kept first as "backup\<stamp>.jar" (or
// "_N"). Then the launcher profiles. On failure the version folder is as before (a folder made
// by this attempt is removed) and no staging file is left.
VersionInstall install_version(const std::string& game_folder, const std::string& base,
                               const VersionSource& source, const std::string& id,
                               const std::string& stamp);
#endif
