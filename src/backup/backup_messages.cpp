#include "backup/backup_messages.h"

#include "platform/text.h"

namespace tarnwick {
namespace {

constexpr std::u16string_view kNothingRestored = u" Nothing was restored.";
constexpr std::u16string_view kNotAdministrators = u" was not made by an administrator";

// " (error 5: Access is denied)", or nothing where no code was reported.
std::u16string Because(const SystemError& error) {
  return error.code != 0 ? u" (" + ErrorText(error) + u")" : std::u16string();
}

std::u16string Reported(std::u16string_view who, const SystemError& error) {
  return u"the " + std::u16string(who) + u" reported " + ErrorText(error) + u".";
}

// A folder that could not be found or made; `path` is empty where the all-users application
// data folder itself could not be found.
std::u16string NotFoundOrMade(std::u16string_view folder, std::u16string_view path,
                              const SystemError& error) {
  if (path.empty())
    return u"the all-users application data folder could not be found" + Because(error) + u".";
  return std::u16string(folder) + std::u16string(path) + u" could not be found or made" +
         Because(error) + u".";
}

// What has a folder's name is not a folder that an administrator made, and stays.
std::u16string NotMovedAside(std::u16string_view path, const SystemError& status) {
  return std::u16string(path) +
         u" is not a folder that an administrator made, and it could not be moved aside" +
         Because(status) + u".";
}

std::u16string NotSecured(std::u16string_view folder, const SystemError& status) {
  return u"the permissions of the " + std::u16string(folder) +
         u" could not be set to administrators only" + Because(status) + u".";
}

}  // namespace

std::u16string MovedAsideMessage(const MovedAside& moved) {
  const std::u16string error = u" (" + ErrorText(moved.status) + u")";
  std::u16string what;
  switch (moved.form) {
    case EntryForm::kUntrustedFolder:
      what = u"The folder " + moved.from + u" was not made by an administrator";
      break;
    case EntryForm::kFile:
      what = moved.from + u" is a file where a folder belongs";
      break;
    case EntryForm::kLink:
      what = moved.from + u" is a junction or link to another place";
      break;
    case EntryForm::kUnopenable:
      what = moved.from + u" could not be opened" + error;
      break;
    case EntryForm::kOwnerUnknown:
      what = u"The owner of " + moved.from + u" could not be read" + error;
      break;
    case EntryForm::kUntrustedFile:
      what = u"The file " + moved.from + u" was not made by an administrator";
      break;
  }
  return what + u", so it is not used: it was moved aside to " + moved.to + u".";
}

std::u16string BackupFailureMessage(std::u16string_view where, const SavedFile& saved) {
  std::u16string reason;
  switch (saved.outcome) {
    case SaveOutcome::kNoFolder:
      reason = NotFoundOrMade(u"the backup folder ", saved.path, saved.status);
      break;
    case SaveOutcome::kAccessDenied:
      reason = u"access to " + (saved.path.empty() ? u"the backup folder" : saved.path) +
               u" was refused" + Because(saved.status) + u".";
      break;
    case SaveOutcome::kDiskFull:
      reason = u"the disk is full.";
      break;
    case SaveOutcome::kFolderNotSecured:
      reason = NotSecured(u"backup folder " + saved.path, saved.status);
      break;
    case SaveOutcome::kFolderUntrusted:
      reason = NotMovedAside(saved.path, saved.status);
      break;
    case SaveOutcome::kTooLarge:
      reason = u"it would be larger than the " + NumberText(kMaxBackupSize) +
               u" bytes that an undo reads.";
      break;
    case SaveOutcome::kSaved:
    case SaveOutcome::kFailed:
      reason = (saved.path.empty() ? u"" : u"writing to " + saved.path + u" failed: ") +
               Reported(u"system", saved.status);
      break;
  }
  return u"Could not save a backup of " + std::u16string(where) + u": " + reason +
         u" The value was left unchanged.";
}

std::u16string LoadFailureMessage(const LoadedFile& file) {
  std::u16string message;
  switch (file.outcome) {
    case LoadOutcome::kFolderNotSecured:
      message = u"Could not read the backups: " + NotSecured(u"folder " + file.path, file.status);
      break;
    case LoadOutcome::kFolderUntrusted:
      message = u"Could not read the backups: " + NotMovedAside(file.path, file.status);
      break;
    case LoadOutcome::kFileNotSecured:
      message = u"Could not read the backup " + file.path +
                u": it is a link, has other names, is open elsewhere, or its owner could not be "
                u"read" +
                Because(file.status) + u".";
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
      message = file.path.empty()
                    ? u"Could not read the backups: " + NotFoundOrMade({}, {}, file.status)
                    : u"Could not read the backup " + file.path + u": " +
                          Reported(u"system", file.status);
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

std::u16string ListFailureMessage(const ListedBackups& listing) {
  if (listing.outcome != LoadOutcome::kFailed && listing.outcome != LoadOutcome::kAccessDenied)
    return LoadFailureMessage({listing.outcome, listing.path, {}, listing.status});
  if (listing.path.empty()) {
    return u"Could not read the backups: " + NotFoundOrMade({}, {}, listing.status) +
           std::u16string(kNothingRestored);
  }
  return u"Could not read the backup folder " + listing.path + u": " +
         (listing.outcome == LoadOutcome::kAccessDenied ? std::u16string(kRunAsAdministrator)
                                                        : Reported(u"system", listing.status)) +
         std::u16string(kNothingRestored);
}

std::u16string LockFailureMessage(const LockResult& lock) {
  std::u16string reason;
  switch (lock.folder) {
    case FolderOutcome::kSecured:
      reason = lock.notOurs
                   ? u"the lock file " + lock.path +
                         u" was not made by an administrator and could not be moved aside" +
                         Because(lock.status) + u"."
                   : u"the lock file " + lock.path + u" could not be opened: " +
                         Reported(u"system", lock.status);
      break;
    case FolderOutcome::kAccessDenied:
      reason = u"access to the folder " + lock.path + u" was refused" + Because(lock.status) + u".";
      break;
    case FolderOutcome::kDiskFull:
      reason = u"the disk is full.";
      break;
    case FolderOutcome::kNotSecured:
      reason = NotSecured(u"folder " + lock.path, lock.status);
      break;
    case FolderOutcome::kUntrusted:
      reason = NotMovedAside(lock.path, lock.status);
      break;
    case FolderOutcome::kMissing:
    case FolderOutcome::kNoFolder:
      reason = NotFoundOrMade(u"the folder ", lock.path, lock.status);
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
