// Log lines for the failures of the update and its undo: which value or file, and what went
// wrong.
#pragma once

#include <string>
#include <string_view>

#include "backup/backup_files.h"
#include "platform/registry.h"

namespace tarnwick {

// `where` is the key path, "\" and the value name.
std::u16string ReadFailureMessage(std::u16string_view where, const RegRead& read);
std::u16string WriteFailureMessage(std::u16string_view where, const RegWrite& write);
std::u16string UnexpectedTypeMessage(std::u16string_view where, RegType found, RegType expected);
std::u16string BackupFailureMessage(std::u16string_view where, const SavedFile& saved);
// The built-in package list exists but cannot be used; the stage goes on without it.
std::u16string BuiltInReadFailureMessage(std::u16string_view where, const RegRead& read);
std::u16string BuiltInTypeMessage(std::u16string_view where, RegType found);

// The newest update backup could not be read.
std::u16string LoadFailureMessage(const LoadedFile& file);
// The file is not one the update wrote, or names other values.
std::u16string RefusedBackupMessage(std::u16string_view path);
// `where` is neither as saved nor as the update left it.
std::u16string ChangedSinceBackupMessage(std::u16string_view where);

}  // namespace tarnwick
