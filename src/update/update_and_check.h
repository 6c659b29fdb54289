// /update and /check. The update adds the CredSSP package "tspkg" to
// HKLM\SYSTEM\CurrentControlSet\Control\Lsa "Security Packages" and the provider "credssp.dll"
// to HKLM\SYSTEM\CurrentControlSet\Control\SecurityProviders "SecurityProviders", each only
// when it is missing, reporting every read, decision and write in the log. Before each write a
// run saves the value it changes, as found, to a registry editor file of its own; after its last,
// it flushes the keys it wrote to disk before it reports how it went.
// Also the steps that a stage of the undo takes as well, each saying in the log what it did.
#pragma once

#include <optional>
#include <vector>

#include "backup/backup_files.h"
#include "log/message_log.h"
#include "platform/registry.h"
#include "platform/system_info.h"
#include "update/value_table.h"

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

// Reads the stage's value as the update does, logging where it reads and what it found, or
// why it could not read it. The read's `type` is the type the value has.
std::optional<RegRead> ReadStageValue(RegistryOps& registry, MessageLog& log, const Stage& stage);
// Saves the stage's value as `read` found it to `backup`, and logs why when it cannot. Whether
// it did.
bool SaveStageValue(RunBackup& backup, MessageLog& log, const Stage& stage, const RegRead& read);
// Whether `write` stored the stage's new value; logs why when not.
bool StoredStageValue(MessageLog& log, const Stage& stage, const RegResult& write);

enum class ValueOutcome {
  kUnchanged,  // the value stays as it is
  kChanged,    // the value would change (the check writes nothing)
  kWritten,    // the value was written
  kFailed,
};

// One pass of a run over the stages, in their order. Close notes how a stage went and logs its
// closing line; Finish flushes the keys of the values written, so that the writes are on disk
// before the run reports them (logging each key that could not be flushed), and logs "DONE!".
class StagesRun {
 public:
  StagesRun(RegistryOps& registry, MessageLog& log) : registry_(registry), log_(log) {}

  void Close(const Stage& stage, ValueOutcome outcome);
  void Finish();
  bool changed() const { return changed_; }  // a value was written, or would change
  bool failed() const { return failed_; }

 private:
  RegistryOps& registry_;
  MessageLog& log_;
  std::vector<const Stage*> written_;
  bool changed_ = false;
  bool failed_ = false;
};

}  // namespace tarnwick
