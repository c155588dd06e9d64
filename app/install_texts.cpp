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

}  // namespace

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
