// Puts back the values that the newest update backup saved: only the two values the update
// changes, only where they are still exactly what the update made of them, byte for byte as
// saved, and after saving what it replaces to a backup of its own.
#pragma once

#include "backup/backup_files.h"
#include "log/message_log.h"
#include "platform/registry_ops.h"

namespace tarnwick {

enum class UndoOutcome {
  kNothingToUndo,  // no update backup, or the values are already as it saved them
  kRestored,       // at least one value was put back, and nothing failed
  kFailed,         // a value changed since the backup and was kept, the backup was refused, or
                   // a read, backup or write failed
};

UndoOutcome UndoAuthProtocols(RegistryOps& registry, BackupFiles& backups, MessageLog& log);

}  // namespace tarnwick
