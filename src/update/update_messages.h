// Log lines for the failures of the update and its undo: which value or file, and what went
// wrong.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "backup/backup_files.h"
#include "backup/run_lock.h"
#include "platform/registry.h"

namespace tarnwick {

// Another run holds the machine-wide lock, so this one does nothing.
inline constexpr std::u16string_view kAnotherRunInProgress =
    u"Another Tarnwick run is in progress, so nothing was done. Try again when it has finished.";
// The lock could not be had for another reason: what failed, and why.
std::u16string LockFailureMessage(const LockResult& lock);
// What taking the lock has to say: the entries it moved aside, then, unless it was had, that
// another run holds it or why it could not be had.
std::vector<std::u16string> LockMessages(const LockResult& lock);

// `where` is the key path, "\" and the value name.
std::u16string ReadFailureMessage(std::u16string_view where, const RegRead& read);
std::u16string WriteFailureMessage(std::u16string_view where, const RegWrite& write);
std::u16string UnexpectedTypeMessage(std::u16string_view where, RegType found, RegType expected);
std::u16string BackupFailureMessage(std::u16string_view where, const SavedFile& saved);
// The built-in package list exists but cannot be used; the stage goes on without it.
std::u16string BuiltInReadFailureMessage(std::u16string_view where, const RegRead& read);
std::u16string BuiltInTypeMessage(std::u16string_view where, RegType found);

// `name` is missing, but so are the files of `missing` (tspkg.dll, credssp.dll) in the system
// directory `folder`: this Windows has no CredSSP.
std::u16string NoCredsspMessage(std::u16string_view name,
                                std::span<const std::u16string_view> missing,
                                std::u16string_view folder);

// What was written to the key `keyPath` could not be flushed to disk.
std::u16string FlushFailureMessage(std::u16string_view keyPath, RegStatus status);

// A backup that someone other than an administrator made is not read.
std::u16string UntrustedBackupMessage(std::u16string_view path);

// The newest update backup could not be read.
std::u16string LoadFailureMessage(const LoadedFile& file);
// The backups could not be listed; never calls a folder, or what took its name, a backup.
std::u16string ListFailureMessage(const ListedBackups& listing);
// The file is not one the update wrote, or names other values.
std::u16string RefusedBackupMessage(std::u16string_view path);
// The newest backup that names `where` is an undo's own: an undo put it back after its last
// update already.
std::u16string AlreadyUndoneMessage(std::u16string_view where);
// `where` is neither as saved nor as the update left it.
std::u16string ChangedSinceBackupMessage(std::u16string_view where);

}  // namespace tarnwick
