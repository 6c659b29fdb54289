// /update and /check. The update adds the CredSSP package "tspkg" to
// HKLM\SYSTEM\CurrentControlSet\Control\Lsa "Security Packages" and the provider "credssp.dll"
// to HKLM\SYSTEM\CurrentControlSet\Control\SecurityProviders "SecurityProviders", each only
// when it is missing, reporting every read, decision and write in the log. Before its first
// write a run saves the values it changes, as found, to a registry editor file; after its last,
// it flushes the keys it wrote to disk before it reports how it went.
#pragma once

#include "backup/backup_files.h"
#include "log/message_log.h"
#include "platform/registry_ops.h"
#include "platform/system_info.h"

namespace tarnwick {

enum class UpdateOutcome {
  kNothingToChange,  // both names were there already
  kChanged,          // at least one value was written (or, for the check, would be), and
                     // nothing failed
  kFailed,           // a value could not be read, backed up or written, or had another type
};

// `system` tells the running Windows (from 8.1 on, tspkg is built in) and whether it has
// CredSSP's files: where it has not, nothing is added, and the run fails.
UpdateOutcome UpdateAuthProtocols(RegistryOps& registry, BackupFiles& backups,
                                  SystemInfoApi& system, MessageLog& log);

// Reads and decides exactly as the update does, and changes and saves nothing. Where the update
// would add a name it says so instead; kChanged means that the update would change a value.
UpdateOutcome CheckAuthProtocols(RegistryOps& registry, SystemInfoApi& system, MessageLog& log);

}  // namespace tarnwick
