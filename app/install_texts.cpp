#include "app/install.h"
#include "app/texts.h"

namespace {

// System error codes (winerror.h) that have a German reason of their own.
constexpr uint32_t kFileNotFound = 2;
constexpr uint32_t kPathNotFound = 3;
constexpr uint32_t kAccessDenied = 5;
constexpr uint32_t kWriteProtect = 19;
constexpr uint32_t kSharingViolation = 32;
constexpr uint32_t kLockViolation = 33;
constexpr uint32_t kHandleDiskFull = 39;
constexpr uint32_t kDiskFull = 112;

std::string system_reason(uint32_t error) {
  switch (error) {
    case kFileNotFound:
    case kPathNotFound:
      return texts::kReasonNotFound;
    case kAccessDenied:
      return texts::kReasonAccessDenied;
    case kWriteProtect:
      return texts::kReasonWriteProtected;
    case kSharingViolation:
    case kLockViolation:
      return texts::kReasonLocked;
    case kHandleDiskFull:
    case kDiskFull:
      return texts::kReasonDiskFull;
    default:
      return std::string(texts::kReasonSystem) + " " + std::to_string(error) + ":";
  }
}

std::string jar_reason(JarVerdict verdict, uint32_t error);

}  // namespace

std::string system_reason_sentence(uint32_t error) {
  std::string reason = system_reason(error);
  if (!reason.empty() && reason.back() == ':') reason.back() = '.';
  return reason;
}

std::string jar_check_reason(const JarCheck& check) {
  return jar_reason(check.verdict, check.system_error);
}

namespace {

std::string jar_reason(JarVerdict verdict, uint32_t error) {
  switch (verdict) {
    case JarVerdict::not_zip:
      return texts::kReasonNotZip;
    case JarVerdict::damaged:
      return texts::kReasonDamaged;
    case JarVerdict::unreadable:
      return std::string(texts::kReasonUnreadable) + " " + system_reason_sentence(error);
    case JarVerdict::ok:
      break;
  }
  return "";
}

}  // namespace

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
  std::string reason;
  switch (outcome.problem) {
    case FileProblem::none:
      return "";
    case FileProblem::not_found:
      reason = texts::kReasonNotFound;
      break;
    case FileProblem::not_a_file:
      reason = texts::kReasonNotAFile;
      break;
    case FileProblem::incomplete:
      reason = texts::kReasonIncomplete;
      break;
    case FileProblem::no_free_name:
      reason = texts::kReasonNoFreeName;
      break;
    case FileProblem::copy_failed:
    case FileProblem::rename_failed:
    case FileProblem::replace_failed:
      reason = system_reason(outcome.system_error);
      break;
    case FileProblem::not_a_jar:
      reason = jar_reason(JarVerdict::not_zip, 0);
      break;
    case FileProblem::jar_damaged:
      reason = jar_reason(JarVerdict::damaged, 0);
      break;
    case FileProblem::jar_unreadable:
      reason = jar_reason(JarVerdict::unreadable, outcome.system_error);
      break;
  }
  return reason + "\n" + outcome.path;
}

std::string backup_failure_text(const FileOutcome& outcome) {
  return std::string(texts::kBackupFailed) + "\n" + failure_reason_text(outcome) + "\n\n" +
         texts::kNothingChanged;
}

std::string install_failure_text(const FileOutcome& outcome, const std::string& backup_path) {
  std::string text = std::string(texts::kInstallFailed) + "\n" + failure_reason_text(outcome) +
                     "\n\n" + texts::kClientJarUnchanged;
  if (!backup_path.empty()) text += std::string("\n") + texts::kBackupLocation + "\n" + backup_path;
  return text;
}

std::string restore_failure_text(const FileOutcome& outcome, const std::string& backup_path) {
  std::string text = std::string(texts::kRestoreFailed) + "\n" + failure_reason_text(outcome) +
                     "\n\n" + texts::kClientJarUnchanged;
  if (!backup_path.empty()) text += std::string("\n") + texts::kBackupLocation + "\n" + backup_path;
  return text;
}

std::string restore_done_text(const std::string& shown, const std::string& new_backup) {
  std::string text = texts::kRestoredBefore + shown + texts::kRestoredAfter;
  if (!new_backup.empty()) {
    text += std::string("\n\n") + texts::kPreviousJarBackedUp + "\n" + new_backup;
  }
  return text;
}

std::string jar_refused_text(const std::string& name, const JarCheck& check) {
  return name + texts::kNotAValidJar + "\n" + jar_reason(check.verdict, check.system_error) +
         "\n\n" + texts::kChooseAnotherJar;
}

std::string prefs_unopenable_text(uint32_t error, const std::string& path) {
  return std::string(texts::kPrefsNotOpened) + "\n" + system_reason(error) + "\n" + path + "\n\n" +
         texts::kPrefsKept;
}

std::string prefs_unwritable_text(uint32_t error, const std::string& path) {
  return std::string(texts::kPrefsNotWritten) + "\n" + system_reason(error) + "\n" + path + "\n\n" +
         texts::kGameFolderKept;
}

std::string jar_exists_question(const std::string& name) {
  return texts::kJarExistsBefore + name + texts::kJarExistsAfter;
}

std::string jars_copied_text(int count) {
  return count == 1 ? std::string(texts::kOneJarCopied)
                    : std::to_string(count) + texts::kJarsCopied;
}

std::string drop_refused_text(const std::vector<DropRefusal>& refused) {
  std::string text = texts::kNotCopied;
  for (const DropRefusal& r : refused) text += "\n" + r.name + ": " + r.reason;
  return text;
}
