#include "app/install.h"
#include "app/paths.h"
#include "app/texts.h"

namespace {

// System error codes (winerror.h) that have a German reason of their own.
constexpr uint32_t kFileNotFound = 2;
constexpr uint32_t kPathNotFound = 3;
constexpr uint32_t kAccessDenied = 5;
constexpr uint32_t kWriteProtect = 19;
constexpr uint32_t kNotReady = 21;
constexpr uint32_t kWriteFault = 29;
constexpr uint32_t kReadFault = 30;
constexpr uint32_t kSharingViolation = 32;
constexpr uint32_t kLockViolation = 33;
constexpr uint32_t kHandleDiskFull = 39;
constexpr uint32_t kFileExists = 80;
constexpr uint32_t kDiskFull = 112;
constexpr uint32_t kInvalidName = 123;
constexpr uint32_t kAlreadyExists = 183;
constexpr uint32_t kFilenameTooLong = 206;

// True for the client jar and the backups, and in the versions layout for a version's jar and
// its backups: the files a running game may hold.
bool game_may_hold(const std::string& path) {
  const std::string p = lower_ascii(path);
  const std::string client = "bin\\minecraft.jar";
  const bool is_client = p.size() >= client.size() &&
                         p.compare(p.size() - client.size(), client.size(), client) == 0 &&
                         (p.size() == client.size() || p[p.size() - client.size() - 1] == '\\');
  const bool version_jar = p.find("\\versions\\") != std::string::npos && ends_with_jar(p);
  return is_client || version_jar || p.find("bin\\backup\\") != std::string::npos;
}

// The reason for a system error; `game_file` when the path concerned is one the game may hold.
std::string system_reason(uint32_t error, bool game_file) {
  switch (error) {
    case kFileNotFound:
    case kPathNotFound:
      return texts::kReasonNotFound;
    case kAccessDenied:
      return texts::kReasonAccessDenied;
    case kWriteProtect:
      return texts::kReasonWriteProtected;
    case kNotReady:
      return texts::kReasonNotReady;
    case kWriteFault:
      return texts::kReasonWriteFault;
    case kReadFault:
      return texts::kReasonReadFault;
    case kSharingViolation:
    case kLockViolation:
      return game_file ? texts::kReasonLocked : texts::kReasonInUse;
    case kHandleDiskFull:
    case kDiskFull:
      return texts::kReasonDiskFull;
    case kFileExists:
    case kAlreadyExists:
      return texts::kReasonNameTaken;
    case kInvalidName:
      return texts::kReasonInvalidName;
    case kFilenameTooLong:
      return texts::kReasonPathTooLong;
    default:
      return std::string(texts::kReasonSystem) + " " + std::to_string(error) + ":";
  }
}

std::string as_sentence(std::string reason) {
  if (!reason.empty() && reason.back() == ':') reason.back() = '.';
  return reason;
}

std::string jar_reason(JarVerdict verdict, uint32_t error, bool game_file) {
  switch (verdict) {
    case JarVerdict::not_zip:
      return texts::kReasonNotZip;
    case JarVerdict::damaged:
      return texts::kReasonDamaged;
    case JarVerdict::unreadable:
      return std::string(texts::kReasonUnreadable) + " " +
             as_sentence(system_reason(error, game_file));
    case JarVerdict::ok:
      break;
  }
  return "";
}

// The reason of a failed outcome alone, ending in ":" where the path follows.
std::string outcome_reason(const FileOutcome& outcome) {
  const bool game_file = game_may_hold(outcome.path);
  switch (outcome.problem) {
    case FileProblem::none:
      break;
    case FileProblem::not_found:
      return texts::kReasonNotFound;
    case FileProblem::not_a_file:
      return texts::kReasonNotAFile;
    case FileProblem::backup_folder_is_file:
      return texts::kReasonBackupFolderIsFile;
    case FileProblem::incomplete:
      return texts::kReasonIncomplete;
    case FileProblem::no_free_name:
      return texts::kReasonNoFreeName;
    case FileProblem::copy_failed:
    case FileProblem::rename_failed:
    case FileProblem::replace_failed:
      return system_reason(outcome.system_error, game_file);
    case FileProblem::not_a_jar:
      return jar_reason(JarVerdict::not_zip, 0, game_file);
    case FileProblem::jar_damaged:
      return jar_reason(JarVerdict::damaged, 0, game_file);
    case FileProblem::jar_unreadable:
      return jar_reason(JarVerdict::unreadable, outcome.system_error, game_file);
  }
  return "";
}

// "\n\nDie Zwischenkopie konnte nicht gel\xF6scht werden:\n<path>" when a clean-up failed.
std::string left_behind_text(const FileOutcome& outcome) {
  if (outcome.left_behind.empty()) return "";
  return std::string("\n\n") + texts::kStagingNotRemoved + "\n" + outcome.left_behind;
}

}  // namespace

std::string system_reason_sentence(uint32_t error) {
  return as_sentence(system_reason(error, false));
}

std::string jar_check_reason(const JarCheck& check) {
  return jar_reason(check.verdict, check.system_error, false);
}

FileOutcome jar_check_outcome(const JarCheck& check, const std::string& path) {
  FileOutcome outcome;
  if (check.ok()) return outcome;
  outcome.path = path;
  outcome.system_error = check.system_error;
  outcome.problem = check.verdict == JarVerdict::not_zip   ? FileProblem::not_a_jar
                    : check.verdict == JarVerdict::damaged ? FileProblem::jar_damaged
                                                           : FileProblem::jar_unreadable;
  return outcome;
}

std::string failure_reason_text(const FileOutcome& outcome) {
  if (outcome.ok()) return "";
  return outcome_reason(outcome) + "\n" + outcome.path;
}

std::string failure_reason_line(const FileOutcome& outcome) {
  if (outcome.ok()) return "";
  std::string line = outcome_reason(outcome) + " " + outcome.path;
  if (!outcome.left_behind.empty())
    line += std::string(" ") + texts::kStagingNotRemoved + " " + outcome.left_behind;
  return line;
}

std::string backup_failure_text(const FileOutcome& outcome) {
  return std::string(texts::kBackupFailed) + "\n" + failure_reason_text(outcome) + "\n\n" +
         texts::kNothingChanged + left_behind_text(outcome);
}

std::string install_failure_text(const FileOutcome& outcome, const std::string& backup_path) {
  std::string text = std::string(texts::kInstallFailed) + "\n" + failure_reason_text(outcome) +
                     "\n\n" + texts::kClientJarUnchanged;
  if (!backup_path.empty()) text += std::string("\n") + texts::kBackupLocation + "\n" + backup_path;
  return text + left_behind_text(outcome);
}

std::string restore_failure_text(const FileOutcome& outcome, const std::string& backup_path) {
  std::string text = std::string(texts::kRestoreFailed) + "\n" + failure_reason_text(outcome) +
                     "\n\n" + texts::kClientJarUnchanged;
  if (!backup_path.empty()) text += std::string("\n") + texts::kBackupLocation + "\n" + backup_path;
  return text + left_behind_text(outcome);
}

std::string restore_done_text(const std::string& shown, const std::string& new_backup) {
  std::string text = texts::kRestoredBefore + shown + texts::kRestoredAfter;
  if (!new_backup.empty()) {
    text += std::string("\n\n") + texts::kPreviousJarBackedUp + "\n" + new_backup;
  }
  return text;
}

std::string jar_refused_text(const std::string& name, const JarCheck& check) {
  return name + texts::kNotAValidJar + "\n" + jar_check_reason(check) + "\n\n" +
         texts::kChooseAnotherJar;
}

std::string prefs_unopenable_text(uint32_t error, const std::string& path) {
  return std::string(texts::kPrefsNotOpened) + "\n" + system_reason(error, false) + "\n" + path +
         "\n\n" + texts::kPrefsKept;
}

std::string prefs_unwritable_text(uint32_t error, const std::string& path) {
  return std::string(texts::kPrefsNotWritten) + "\n" + system_reason(error, false) + "\n" + path +
         "\n\n" + texts::kGameFolderKept;
}

std::string jar_exists_question(const std::string& name) {
  return texts::kJarExistsBefore + name + texts::kJarExistsAfter;
}

std::string jars_copied_text(int count, const std::vector<std::string>& already_there) {
  std::string text;
  if (count > 0) {
    text =
        count == 1 ? std::string(texts::kOneJarCopied) : std::to_string(count) + texts::kJarsCopied;
  }
  if (already_there.empty()) return text;
  if (!text.empty()) text += "\n\n";
  text += texts::kAlreadyInJarFolder;
  for (const std::string& name : already_there) text += "\n" + name;
  return text;
}

std::string staging_left_text(const std::vector<std::string>& paths) {
  std::string text = texts::kStagingLeftAtStart;
  for (const std::string& path : paths) text += "\n" + path;
  return text;
}

std::string staging_target_name(const std::string& file) {
  const std::string suffix = kStagingSuffix;
  const size_t at = file.rfind(suffix);
  if (at == std::string::npos || at == 0) return "";
  const std::string tail = file.substr(at + suffix.size());
  if (!tail.empty()) {
    // "-n" with n from 2 to kStagingNames, written without leading zeros.
    if (tail.size() < 2 || tail.size() > 4 || tail[0] != '-' || tail[1] == '0') return "";
    int n = 0;
    for (size_t i = 1; i < tail.size(); ++i) {
      if (tail[i] < '0' || tail[i] > '9') return "";
      n = n * 10 + (tail[i] - '0');
    }
    if (n < 2 || n > kStagingNames) return "";
  }
  return file.substr(0, at);
}

bool is_client_jar_name(const std::string& name) { return lower_ascii(name) == "minecraft.jar"; }

bool is_backup_file_name(const std::string& name) {
  BackupName backup;
  return parse_backup_name(name, &backup);
}

bool is_prefs_name(const std::string& name) { return lower_ascii(name) == "pref.ini"; }

bool is_mod_name(const std::string& name) {
  return ends_with_jar(name) ||
         (name.size() > 4 && lower_ascii(name.substr(name.size() - 4)) == ".zip");
}

bool is_launcher_profiles_name(const std::string& name) {
  const std::string l = lower_ascii(name);
  return l == "launcher_profiles.json" || l == "launcher_profiles_microsoft_store.json";
}

bool is_version_file_name(const std::string& name) {
  const std::string l = lower_ascii(name);
  return ends_with_jar(l) || l == "pelmora.ini" ||
         (l.size() > 5 && l.compare(l.size() - 5, 5, ".json") == 0);
}

std::vector<StagingFolder> staging_folders(const std::string& game_folder,
                                           const std::string& current_directory) {
  std::vector<StagingFolder> folders;
  if (!game_folder.empty()) {
    folders.push_back({game_folder + "bin\\", &is_client_jar_name});
    folders.push_back({backup_folder_path(game_folder), &is_backup_file_name});
    folders.push_back({game_folder, &is_launcher_profiles_name});
  }
  folders.push_back({install_source_path(current_directory, ""), &ends_with_jar});
  folders.push_back({current_directory + "mods\\", &is_mod_name});
  folders.push_back({current_directory, &is_prefs_name});
  return folders;
}

std::string drop_refused_text(const std::vector<DropRefusal>& refused) {
  std::string text = texts::kNotCopied;
  for (const DropRefusal& r : refused) text += "\n" + r.name + ": " + r.reason;
  return text;
}
