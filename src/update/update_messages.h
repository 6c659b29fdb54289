// The lines that the update, its check and its undo log: each step of a stage, and for a
// failure which value and what went wrong. A run also reports the backup keeping's and the run
// lock's lines (backup/backup_messages.h).
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "platform/registry.h"
#include "platform/system_info.h"

namespace tarnwick {

// A stage's lines, in the order they come. `where` is the key path, "\" and the value name;
// values are shown with each NUL as a blank.
std::u16string ReadingMessage(std::u16string_view where);
std::u16string CurrentValueMessage(std::u16string_view value);
// Windows `windows` loads `name` by itself.
std::u16string BuiltInMessage(const WindowsVersion& windows, std::u16string_view name);
std::u16string AlreadyPresentMessage(std::u16string_view name);
// The check's line where the update would add `name`.
std::u16string WouldAddMessage(std::u16string_view name);
std::u16string AddingMessage(std::u16string_view name);
std::u16string UpdatedMessage(std::u16string_view value);
// The stage's closing line, with the empty line after it.
std::u16string StepCompleteMessage(int step);
inline constexpr std::u16string_view kDoneMessage = u"DONE!";

// The undo's own lines.
std::u16string ReadingBackupMessage(std::u16string_view path);
inline constexpr std::u16string_view kAlreadyAsSavedMessage =
    u"Value already as saved, no change required";
inline constexpr std::u16string_view kRestoringMessage = u"Restoring Value saved in backup.";
std::u16string RestoredMessage(std::u16string_view value);
inline constexpr std::u16string_view kNothingToUndoMessage =
    u"No backup of the update was found: there is nothing to undo.";

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
