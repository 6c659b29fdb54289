// Puts back what the updates changed: for each of the two values, the newest backup that names
// it decides. An update's backup is restored from, only where the value is still exactly what
// the update made of it, byte for byte as saved, and after saving what it replaces to a backup
// of its own; an undo's own backup means that an undo put the value back already.
#pragma once

#include "backup/backup_files.h"
#include "log/message_log.h"
#include "platform/registry_ops.h"

namespace tarnwick {

enum class UndoOutcome {
  kNothingToUndo,  // no update backup, or the values are already as saved or undone before
  kRestored,       // at least one value was put back, and nothing failed
  kFailed,         // a value changed since the backup and was kept, the backup was refused, or
                   // a read, backup or write failed
};

UndoOutcome UndoAuthProtocols(RegistryOps& registry, BackupFiles& backups, MessageLog& log);

}  // namespace tarnwick
