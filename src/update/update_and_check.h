// /update and /check. The update adds the CredSSP package "tspkg" to
// HKLM\SYSTEM\CurrentControlSet\Control\Lsa "Security Packages" and the provider "credssp.dll"
// to HKLM\SYSTEM\CurrentControlSet\Control\SecurityProviders "SecurityProviders", each only
// when it is missing, reporting every read, decision and write in the log. Before each write a
// run saves the value it changes, as found, to a registry editor file of its own; after its last,
// it flushes the keys it wrote to disk before it reports how it went.
// Also the way of one stage from its read to its closing line, which the undo takes as well.
#pragma once

#include <functional>
#include <variant>
#include <vector>

#include "backup/backup_files.h"
#include "log/message_log.h"
#include "platform/registry.h"
#include "platform/system_info.h"
#include "update/value_table.h"

namespace tarnwick {

// How an update, a check or an undo went.
enum class UpdateOutcome {
  kNothingToChange,  // both names were there already, or there was nothing to undo
  kChanged,          // at least one value was written (or, for the check, would be), and
                     // nothing failed
  kFailed,           // a value could not be read, backed up or written, or had another type;
                     // for the undo, also a value changed since its backup, or a backup refused
};

// `system` tells the running Windows (from 8.1 on, tspkg is built in) and whether it has
// CredSSP's files: where it has not, nothing is added, and the run fails.
UpdateOutcome UpdateAuthProtocols(RegistryOps& registry, BackupFiles& backups,
                                  SystemInfoApi& system, MessageLog& log);

// Reads and decides exactly as the update does, and changes and saves nothing. Where the update
// would add a name it says so instead; kChanged means that the update would change a value.
UpdateOutcome CheckAuthProtocols(RegistryOps& registry, SystemInfoApi& system, MessageLog& log);

enum class ValueOutcome {
  kUnchanged,  // the value stays as it is
  kChanged,    // the value would change (the check writes nothing)
  kWritten,    // the value was written
  kFailed,
};

// A stage's new value: `store` writes it, and `line` says so once it is stored.
struct StageWrite {
  std::function<RegResult()> store;
  std::u16string line;
};
// What a run makes of a stage's value, once read: how the stage ends, or the value it writes.
using StageDecision = std::variant<ValueOutcome, StageWrite>;

// One pass of a run over the stages, in their order, each logging every step it takes.
class StagesRun {
 public:
  // `backup` receives each value as read before it is written; null for the check.
  StagesRun(RegistryOps& registry, RunBackup* backup, MessageLog& log)
      : registry_(registry), backup_(backup), log_(log) {}

  // One stage from its read to its closing line: reads the value (its type as `stage` expects),
  // lets `decide` say what becomes of it, and where that is a write, saves the value as read to
  // the backup first, and writes only where that was saved.
  void Run(const Stage& stage, const std::function<StageDecision(const RegRead&)>& decide);
  // Notes how a stage went and logs its closing line.
  void Close(const Stage& stage, ValueOutcome outcome);
  // Flushes the keys of the values written, so that the writes are on disk before the run
  // reports them (logging each key that could not be flushed), and logs "DONE!".
  UpdateOutcome Finish();

 private:
  RegistryOps& registry_;
  RunBackup* backup_;
  MessageLog& log_;
  std::vector<const Stage*> written_;
  bool changed_ = false;  // a value was written, or would change
  bool failed_ = false;
};

}  // namespace tarnwick
