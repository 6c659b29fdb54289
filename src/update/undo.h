// Puts back what the updates changed: for each of the two values, the newest backup that names
// it decides. An update's backup is restored from, only where the value is still exactly what
// the update made of it, byte for byte as saved, and after saving what it replaces to a backup
// of its own; an undo's own backup means that an undo put the value back already.
#pragma once

#include "backup/backup_files.h"
#include "log/message_log.h"
#include "platform/registry_ops.h"
#include "update/update_and_check.h"

namespace tarnwick {

// kNothingToChange where no backup is an update's, or the values are already as saved or undone
// before; kChanged where at least one value was put back and nothing failed.
UpdateOutcome UndoAuthProtocols(RegistryOps& registry, BackupFiles& backups, MessageLog& log);

}  // namespace tarnwick
