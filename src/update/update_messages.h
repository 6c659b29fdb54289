// Log lines for the failures of the update and its undo: which value, and what went wrong. A run
// also reports the backup keeping's and the run lock's lines (backup/backup_messages.h).
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "backup/backup_messages.h"
#include "platform/registry.h"

namespace tarnwick {

// `where` is the key path, "\" and the value name.
std::u16string ReadFailureMessage(std::u16string_view where, const RegRead& read);
std::u16string WriteFailureMessage(std::u16string_view where, const RegResult& write);
std::u16string UnexpectedTypeMessage(std::u16string_view where, RegType found, RegType expected);
// The built-in package list exists but cannot be used; the stage goes on without it.
std::u16string BuiltInReadFailureMessage(std::u16string_view where, const RegRead& read);
std::u16string BuiltInTypeMessage(std::u16string_view where, RegType found);

// `name` is missing, but so are the files of `missing` (tspkg.dll, credssp.dll) in the system
// directory `folder`: this Windows has no CredSSP.
std::u16string NoCredsspMessage(std::u16string_view name,
                                std::span<const std::u16string_view> missing,
                                std::u16string_view folder);

// What was written to the key `keyPath` could not be flushed to disk.
std::u16string FlushFailureMessage(std::u16string_view keyPath, const SystemError& status);

// The newest backup that names `where` is an undo's own: an undo put it back after its last
// update already.
std::u16string AlreadyUndoneMessage(std::u16string_view where);
// `where` is neither as saved nor as the update left it.
std::u16string ChangedSinceBackupMessage(std::u16string_view where);

}  // namespace tarnwick
