#include "update/undo_messages.h"

#include <string>

namespace tarnwick {
namespace {

constexpr std::u16string_view kNothingRestored = u" Nothing was restored.";

std::u16string Number(std::uint32_t value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

std::u16string ErrorNumber(std::uint32_t status) {
  return status != 0 ? u" (error " + Number(status) + u")" : std::u16string();
}

}  // namespace

std::u16string LoadFailureMessage(const LoadedFile& file) {
  std::u16string message;
  switch (file.outcome) {
    case LoadOutcome::kFolderIsLink:
      message = u"Could not read the backups: the folder " + file.path +
                u" is a junction or link to another place.";
      break;
    case LoadOutcome::kFolderNotSecured:
      message = u"Could not read the backups: the permissions of the folder " + file.path +
                u" could not be set" + ErrorNumber(file.status) + u".";
      break;
    case LoadOutcome::kFileNotSecured:
      message = u"Could not read the backup " + file.path +
                u": it is a link, has other names, is open elsewhere, or its permissions could "
                u"not be set" +
                ErrorNumber(file.status) + u".";
      break;
    case LoadOutcome::kAccessDenied:
      message = u"Could not read the backup " + file.path +
                u": access was refused. Please run this program as an administrator.";
      break;
    case LoadOutcome::kTooLarge:
      message = u"The backup " + file.path + u" is larger than any backup Tarnwick saves.";
      break;
    case LoadOutcome::kLoaded:
    case LoadOutcome::kNone:
    case LoadOutcome::kFailed:
      message = u"Could not read the backup " + file.path + u": the system reported error " +
                Number(file.status) + u".";
      break;
  }
  return message + std::u16string(kNothingRestored);
}

std::u16string RefusedBackupMessage(std::u16string_view path) {
  return u"The backup " + std::u16string(path) +
         u" is not a registry file as Tarnwick saves it, or it names other values than the two "
         u"that the update changes." +
         std::u16string(kNothingRestored);
}

std::u16string ChangedSinceBackupMessage(std::u16string_view where) {
  return std::u16string(where) +
         u" has changed since the backup was saved; it was left as it is, to keep that change.";
}

}  // namespace tarnwick
