// Log lines for the backup keeping and the run lock: which folder or file, what went wrong, and
// Windows' code and text for it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "backup/backup_files.h"

namespace tarnwick {

// Another run holds the machine-wide lock, so this one does nothing.
inline constexpr std::u16string_view kAnotherRunInProgress =
    u"Another Tarnwick run is in progress, so nothing was done. Try again when it has finished.";
// The lock could not be had for another reason: what failed, and why.
std::u16string LockFailureMessage(const BackupResult& lock);
// What taking the lock has to say: the entries it left unused, that the backups cannot be
// protected where their volume keeps no permissions, then, unless it was had, that another run
// holds it or why it could not be had.
std::vector<std::u16string> LockMessages(const BackupResult& lock);

// An entry that took the name of a folder on the way, or of the run lock's file: why it is not
// used, and which folder is used in its place.
std::u16string NotUsedMessage(const NotUsed& entry);
// Tarnwick's folder `folder` is on a volume that keeps no permissions.
std::u16string UnprotectedMessage(std::u16string_view folder);
// A backup was saved to the file `path`.
std::u16string BackupSavedMessage(std::u16string_view path);

// `where` is the key path, "\" and the value name of the value that was to be saved.
std::u16string BackupFailureMessage(std::u16string_view where, const BackupResult& saved);

// A backup that someone other than an administrator made is not read.
std::u16string UntrustedBackupMessage(std::u16string_view path);

// The newest update backup could not be read.
std::u16string LoadFailureMessage(const BackupResult& file);
// The backups could not be listed; never calls a folder, or what took its name, a backup.
std::u16string ListFailureMessage(const BackupResult& listing);
// The file is not one the update wrote, or names other values.
std::u16string RefusedBackupMessage(std::u16string_view path);

}  // namespace tarnwick
