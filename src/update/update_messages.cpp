#include "update/update_messages.h"

#include "backup/run_backup.h"

#include <string>

namespace tarnwick {
namespace {

std::u16string Number(long long value) {
  std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

std::u16string TypeName(RegType type) {
  switch (type) {
    case kRegNone:
      return u"REG_NONE";
    case kRegSz:
      return u"REG_SZ";
    case kRegExpandSz:
      return u"REG_EXPAND_SZ";
    case kRegBinary:
      return u"REG_BINARY";
    case kRegDword:
      return u"REG_DWORD";
    case 5:
      return u"REG_DWORD_BIG_ENDIAN";
    case 6:
      return u"REG_LINK";
    case kRegMultiSz:
      return u"REG_MULTI_SZ";
    case 11:
      return u"REG_QWORD";
    default:
      return u"type " + Number(type);
  }
}

// " (error N)", or nothing for status 0.
std::u16string ErrorNumber(std::uint32_t status) {
  return status != 0 ? u" (error " + Number(status) + u")" : std::u16string();
}

constexpr std::u16string_view kRunAsAdministrator =
    u"access was refused. Please run this program as an administrator.";
constexpr std::u16string_view kNothingRestored = u" Nothing was restored.";
constexpr std::u16string_view kNotAdministrators = u" was not made by an administrator";

// What has a folder's name is not a folder that an administrator made, and stays.
std::u16string NotMovedAside(std::u16string_view path, std::uint32_t status) {
  return std::u16string(path) +
         u" is not a folder that an administrator made, and it could not be moved aside" +
         ErrorNumber(status) + u".";
}

std::u16string StatusReason(RegStatus status) {
  if (status == kErrorAccessDenied)
    return std::u16string(kRunAsAdministrator);
  return u"the registry reported error " + Number(status) + u".";
}

std::u16string ReadReason(const RegRead& read) {
  std::u16string message;
  switch (read.outcome) {
    case ReadOutcome::kKeyMissing:
      message += u"the key does not exist.";
      break;
    case ReadOutcome::kValueMissing:
      message += u"the value does not exist.";
      break;
    case ReadOutcome::kAccessDenied:
      message += kRunAsAdministrator;
      break;
    case ReadOutcome::kUnsupportedType:
      message += u"its type (" + TypeName(read.type) + u") is not supported.";
      break;
    case ReadOutcome::kRead:
    case ReadOutcome::kFailed:
      message += StatusReason(read.status);
      break;
  }
  return message;
}

}  // namespace

std::u16string ReadFailureMessage(std::u16string_view where, const RegRead& read) {
  return u"Could not read " + std::u16string(where) + u": " + ReadReason(read) +
         u" Nothing was changed.";
}

std::u16string WriteFailureMessage(std::u16string_view where, const RegWrite& write) {
  std::u16string message = u"Could not update " + std::u16string(where) + u": ";
  switch (write.outcome) {
    case WriteOutcome::kUnsupportedType:
    case WriteOutcome::kInvalidValue:
      message += u"the value cannot be stored in its type.";
      break;
    case WriteOutcome::kStored:
    case WriteOutcome::kOpenFailed:
    case WriteOutcome::kSetFailed:
      message += StatusReason(write.status);
      break;
  }
  return message;
}

std::u16string UnexpectedTypeMessage(std::u16string_view where, RegType found, RegType expected) {
  return std::u16string(where) + u" is a " + TypeName(found) + u" value where " +
         TypeName(expected) + u" was expected; it was left unchanged.";
}

std::u16string BackupFailureMessage(std::u16string_view where, const SavedFile& saved) {
  std::u16string reason;
  switch (saved.outcome) {
    case SaveOutcome::kNoFolder:
      reason = u"the backup folder " + (saved.path.empty() ? u"" : saved.path + u" ") +
               u"could not be found or made" + ErrorNumber(saved.status) + u".";
      break;
    case SaveOutcome::kAccessDenied:
      reason = u"access to the backup folder was refused.";
      break;
    case SaveOutcome::kDiskFull:
      reason = u"the disk is full.";
      break;
    case SaveOutcome::kFolderNotSecured:
      reason = u"the permissions of the backup folder " + saved.path +
               u" could not be set to administrators only (error " + Number(saved.status) + u").";
      break;
    case SaveOutcome::kFolderUntrusted:
      reason = NotMovedAside(saved.path, saved.status);
      break;
    case SaveOutcome::kTooLarge:
      reason = u"it would be larger than the " + Number(static_cast<long long>(kMaxBackupSize)) +
               u" bytes that an undo reads.";
      break;
    case SaveOutcome::kSaved:
    case SaveOutcome::kFailed:
      reason = u"the system reported error " + Number(saved.status) + u".";
      break;
  }
  return u"Could not save a backup of " + std::u16string(where) + u": " + reason +
         u" The value was left unchanged.";
}

std::u16string BuiltInReadFailureMessage(std::u16string_view where, const RegRead& read) {
  return u"Could not read " + std::u16string(where) + u": " + ReadReason(read) +
         u" Going on without it.";
}

std::u16string BuiltInTypeMessage(std::u16string_view where, RegType found) {
  return std::u16string(where) + u" is a " + TypeName(found) +
         u" value where REG_MULTI_SZ was expected; going on without it.";
}

std::u16string FlushFailureMessage(std::u16string_view keyPath, RegStatus status) {
  return u"Could not save " + std::u16string(keyPath) + u" to disk: " + StatusReason(status) +
         u" The change may be lost if the computer stops before Windows saves it.";
}

std::u16string NoCredsspMessage(std::u16string_view name,
                                std::span<const std::u16string_view> missing,
                                std::u16string_view folder) {
  std::u16string files;
  for (std::size_t i = 0; i < missing.size(); ++i)
    files += (i == 0 ? u"" : u" and ") + std::u16string(missing[i]);
  return u"Cannot add " + std::u16string(name) + u": " + files +
         (missing.size() == 1 ? u" is" : u" are") + u" not in " + std::u16string(folder) +
         u", so this Windows has no CredSSP. Nothing was changed. Windows XP needs Service Pack 3 "
         u"for CredSSP; Windows XP x64 and Windows Server 2003 cannot use it.";
}

std::u16string LoadFailureMessage(const LoadedFile& file) {
  std::u16string message;
  switch (file.outcome) {
    case LoadOutcome::kFolderNotSecured:
      message = u"Could not read the backups: the permissions of the folder " + file.path +
                u" could not be set" + ErrorNumber(file.status) + u".";
      break;
    case LoadOutcome::kFolderUntrusted:
      message = u"Could not read the backups: " + NotMovedAside(file.path, file.status);
      break;
    case LoadOutcome::kFileNotSecured:
      message = u"Could not read the backup " + file.path +
                u": it is a link, has other names, is open elsewhere, or its owner could not be "
                u"read" +
                ErrorNumber(file.status) + u".";
      break;
    case LoadOutcome::kFileUntrusted:
      return UntrustedBackupMessage(file.path);
    case LoadOutcome::kAccessDenied:
      message =
          u"Could not read the backup " + file.path + u": " + std::u16string(kRunAsAdministrator);
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

std::u16string UntrustedBackupMessage(std::u16string_view path) {
  return u"The backup " + std::u16string(path) + std::u16string(kNotAdministrators) +
         u", so it is not read.";
}

std::u16string RefusedBackupMessage(std::u16string_view path) {
  return u"The backup " + std::u16string(path) +
         u" is not a registry file as Tarnwick saves it, or it names other values than the two "
         u"that the update changes." +
         std::u16string(kNothingRestored);
}

std::u16string AlreadyUndoneMessage(std::u16string_view where) {
  return std::u16string(where) +
         u" was put back by an earlier undo after its last update: there is nothing to undo for "
         u"it.";
}

std::u16string ChangedSinceBackupMessage(std::u16string_view where) {
  return std::u16string(where) +
         u" has changed since the backup was saved; it was left as it is, to keep that change.";
}

std::u16string ListFailureMessage(const ListedBackups& listing) {
  if (listing.outcome != LoadOutcome::kFailed && listing.outcome != LoadOutcome::kAccessDenied)
    return LoadFailureMessage({listing.outcome, listing.path, {}, listing.status});
  if (listing.path.empty()) {
    return u"Could not find the all-users application data folder" + ErrorNumber(listing.status) +
           u"." + std::u16string(kNothingRestored);
  }
  return u"Could not read the backup folder " + listing.path + u": " +
         (listing.outcome == LoadOutcome::kAccessDenied
              ? std::u16string(kRunAsAdministrator)
              : u"the system reported error " + Number(listing.status) + u".") +
         std::u16string(kNothingRestored);
}

std::u16string LockFailureMessage(const LockResult& lock) {
  std::u16string reason;
  switch (lock.folder) {
    case FolderOutcome::kSecured:
      reason = lock.notOurs
                   ? u"the lock file " + lock.path +
                         u" was not made by an administrator and could not be moved aside" +
                         ErrorNumber(lock.status) + u"."
                   : u"the lock file " + lock.path +
                         u" could not be opened: the system reported error " + Number(lock.status) +
                         u".";
      break;
    case FolderOutcome::kAccessDenied:
      reason =
          u"access to the folder " + lock.path + u" was refused" + ErrorNumber(lock.status) + u".";
      break;
    case FolderOutcome::kDiskFull:
      reason = u"the disk is full.";
      break;
    case FolderOutcome::kNotSecured:
      reason = u"the permissions of the folder " + lock.path +
               u" could not be set to administrators only" + ErrorNumber(lock.status) + u".";
      break;
    case FolderOutcome::kUntrusted:
      reason = NotMovedAside(lock.path, lock.status);
      break;
    case FolderOutcome::kMissing:
    case FolderOutcome::kNoFolder:
      reason = lock.path.empty() ? u"the all-users application data folder could not be found" +
                                       ErrorNumber(lock.status) + u"."
                                 : u"the folder " + lock.path + u" could not be found or made" +
                                       ErrorNumber(lock.status) + u".";
      break;
  }
  return u"Could not make sure that no other Tarnwick run is in progress: " + reason +
         u" Nothing was done.";
}

std::vector<std::u16string> LockMessages(const LockResult& lock) {
  std::vector<std::u16string> lines;
  for (const MovedAside& moved : lock.movedAside)
    lines.push_back(MovedAsideMessage(moved));
  if (lock.outcome == LockOutcome::kBusy)
    lines.emplace_back(kAnotherRunInProgress);
  else if (lock.outcome == LockOutcome::kFailed)
    lines.push_back(LockFailureMessage(lock));
  return lines;
}

}  // namespace tarnwick
