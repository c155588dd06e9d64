// Backing up and replacing the game's client jar, and the German texts that report the outcome.
//
// The file steps are Windows only (install_win.cpp); the outcome record and the texts are
// platform-free. Neither step ever leaves the client jar partial or missing: the backup only
// copies it, and the new jar is copied beside it and then moved over it in one step.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/jar_check.h"

enum class FileProblem {
  none,
  not_found,              // the file to copy does not exist
  not_a_file,             // the path names a folder
  backup_folder_is_file,  // a file has the backup folder's name
  copy_failed,            // copying failed (system_error tells why)
  incomplete,             // the copy did not reach the source's size in time
  no_free_name,           // every backup name for the stamp is taken
  rename_failed,          // giving the backup its name failed
  replace_failed,         // moving the new jar over the client jar failed
  not_a_jar,              // the file is no zip archive
  jar_damaged,            // the archive is cut short or damaged
  jar_unreadable,         // the file could not be read for the check (system_error tells why)
};

struct FileOutcome {
  FileProblem problem = FileProblem::none;
  uint32_t system_error = 0;  // the system's error code of the failed step, 0 when none
  std::string path;           // the path concerned; on success the backup or client jar made
  std::string left_behind;    // a file or folder of this run that a failed clean-up left
  bool ok() const { return problem == FileProblem::none; }
};

// Staging files: a copy is made beside its target as target + kStagingSuffix, or when that name
// is taken target + kStagingSuffix + "-n" (n from 2 to kStagingNames), and moved to its name.
constexpr char kStagingSuffix[] = ".pelmora-neu";
constexpr int kStagingNames = 100;
// The name a staging file was made for ("minecraft.jar" for "minecraft.jar.pelmora-neu-2"), or
// "" when the name is none the program makes.
std::string staging_target_name(const std::string& file);
// A folder to search for staging files that a killed run left, with the names the program
// stages there.
struct StagingFolder {
  std::string path;  // with its trailing "\"
  bool (*is_target)(const std::string& name);
};
bool is_client_jar_name(const std::string& name);         // "minecraft.jar"
bool is_backup_file_name(const std::string& name);        // a backup's name (parse_backup_name)
bool is_prefs_name(const std::string& name);              // "pref.ini"
bool is_mod_name(const std::string& name);                // "*.jar" or "*.zip"
bool is_launcher_profiles_name(const std::string& name);  // the launcher's two profile files
bool is_version_file_name(const std::string& name);       // "*.jar", "*.json" or "pelmora.ini"
// The folders where the program stages files: G + "bin\", the backup folder, G itself (for the
// launcher's profile files), C + "jar\", C + "mods\" and C itself (for "pref.ini"), C being the
// program's current directory. Pelmora's version folders are added by the caller, which lists them.
std::vector<StagingFolder> staging_folders(const std::string& game_folder,
                                           const std::string& current_directory);

struct BackupSettings {
  int wait_limit_ms = 5000;  // how long to wait for the copy to reach the client jar's size
  int pause_ms = 100;        // pause before the copy gets its final name
  int max_names = 1000;      // names tried for one stamp: stamp.jar, stamp_2.jar, ...
};

// The outcome of a jar check of the file at path: none when it passed.
FileOutcome jar_check_outcome(const JarCheck& check, const std::string& path);

#ifdef _WIN32
// Copies G + "bin\minecraft.jar" into the backup folder (created when missing) and names the
// copy after the stamp, with the "_n" after the highest backup of the same stamp when there is
// one, so that the names of one run's backups sort in the order they were made. The copy is
// made under a name no file has and never replaces or deletes a file it did not make. On success
// the outcome's path is the backup; on failure nothing is left behind and the client jar is
// untouched.
FileOutcome backup_client_jar(const std::string& game_folder, const std::string& stamp,
                              const BackupSettings& settings = BackupSettings());

// Installs source as G + "bin\minecraft.jar": copies it beside the client jar, checks the size
// and the archive and moves it over the client jar in one step. On failure the client jar is as
// before and no staging file is left. On success the outcome's path is the client jar.
FileOutcome install_client_jar(const std::string& source, const std::string& game_folder);

// The jar check of a file in the form of a file step's outcome.
FileOutcome check_jar_outcome(const std::string& path);

// Copies a jar to target (a file in the jar folder) the safe way: beside it under a new name,
// checked, then moved to its name in one step, replacing a file there only when `replace` is
// set. On failure nothing is left behind and target is untouched.
FileOutcome copy_jar_to(const std::string& source, const std::string& target, bool replace);

// Removes the staging files of the folders (read-only ones too) and gives the paths of those
// that stay.
std::vector<std::string> remove_staging_files(const std::vector<StagingFolder>& folders);

// True when the two files hold the same bytes (sizes first, then contents).
bool same_file_contents(const std::string& a, const std::string& b);

struct RestoreResult {
  FileOutcome outcome;     // the failure, or on success the client jar
  std::string new_backup;  // the backup of the previous client jar made first, "" when none
};
// Puts the backup back as the client jar. The backup must pass the jar check; a client jar that
// no file of `backups` holds is first backed up under `stamp` like the install's backup. The
// backup itself stays unchanged.
RestoreResult restore_backup(const std::string& backup, const std::string& game_folder,
                             const std::vector<std::string>& backups, const std::string& stamp,
                             const BackupSettings& settings = BackupSettings());
#endif

// "<reason>\n<path>" for a failed outcome, e.g. "Zugriff verweigert:\nC:\x\bin\minecraft.jar".
// The hint that Minecraft may still be running is given only for the client jar and backups.
std::string failure_reason_text(const FileOutcome& outcome);
// The same on one line, "<reason> <path>", with a staging file that stayed named after it.
std::string failure_reason_line(const FileOutcome& outcome);
// The "Fehler!" message listing staging files of a killed run that could not be removed.
std::string staging_left_text(const std::vector<std::string>& paths);
// The "Fehler!" message of a failed backup.
std::string backup_failure_text(const FileOutcome& outcome);
// The "Fehler!" message of a failed install; backup_path is "" when no backup was made.
std::string install_failure_text(const FileOutcome& outcome, const std::string& backup_path);
// The "Fehler!" message of a failed restore; backup_path as above.
std::string restore_failure_text(const FileOutcome& outcome, const std::string& backup_path);
// The "Info" message after a restore of the backup shown as `shown` ("24.12.2012 18:05:09").
std::string restore_done_text(const std::string& shown, const std::string& new_backup);
// The system's reason for an error code as a sentence of its own ("Zugriff verweigert.").
std::string system_reason_sentence(uint32_t error);
// The reason a file failed the jar check, as one sentence.
std::string jar_check_reason(const JarCheck& check);
// The "Fehler!" message when "pref.ini" could not be written with the new game folder.
std::string prefs_unwritable_text(uint32_t error, const std::string& path);
// The "Frage" asked before a dropped jar replaces one of the same name in the jar folder.
std::string jar_exists_question(const std::string& name);
// The "Info" message after a drop: how many jars were copied into the jar folder, and the
// dropped jars that lie in the jar folder already (one of them at least is given).
std::string jars_copied_text(int count, const std::vector<std::string>& already_there = {});
// A dropped file that was not copied, and why (one sentence).
struct DropRefusal {
  std::string name;
  std::string reason;
};
// The one "Fehler!" message listing the dropped files that were not copied.
std::string drop_refused_text(const std::vector<DropRefusal>& refused);
// The "Fehler!" message when an existing "pref.ini" at path cannot be opened for `error`.
std::string prefs_unopenable_text(uint32_t error, const std::string& path);
// The "Fehler!" message when "Jar ausw\xE4hlen" confirms a file that fails the jar check.
std::string jar_refused_text(const std::string& name, const JarCheck& check);
