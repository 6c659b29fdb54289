// Adds the CredSSP package "tspkg" to HKLM\SYSTEM\CurrentControlSet\Control\Lsa
// "Security Packages" and the provider "credssp.dll" to
// HKLM\SYSTEM\CurrentControlSet\Control\SecurityProviders "SecurityProviders", each only when
// it is missing, reporting every read, decision and write in the log. Before its first write a
// run saves the values it changes, as found, to a registry editor file.
#pragma once

#include "log/message_log.h"
#include "platform/backup_files.h"
#include "platform/registry_ops.h"

namespace tarnwick {

enum class UpdateOutcome {
  kNothingToChange,  // both names were there already
  kChanged,          // at least one value was written, and nothing failed
  kFailed,           // a value could not be read, backed up or written, or had another type
};

UpdateOutcome UpdateAuthProtocols(RegistryOps& registry, BackupFiles& backups, MessageLog& log);

}  // namespace tarnwick
