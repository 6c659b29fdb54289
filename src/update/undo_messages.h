// Log lines for the undo's refusals and failures: which file or value, and why.
#pragma once

#include <string>
#include <string_view>

#include "platform/backup_files.h"

namespace tarnwick {

// The newest update backup could not be read.
std::u16string LoadFailureMessage(const LoadedFile& file);
// The file is not one the update wrote, or names other values.
std::u16string RefusedBackupMessage(std::u16string_view path);
// `where` (key path, "\" and value name) is neither as saved nor as the update left it.
std::u16string ChangedSinceBackupMessage(std::u16string_view where);

}  // namespace tarnwick
