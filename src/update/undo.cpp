#include "update/undo.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "backup/reg_file.h"
#include "backup/run_backup.h"
#include "platform/registry.h"
#include "update/name_lists.h"
#include "update/stages.h"
#include "update/update_messages.h"

namespace tarnwick {
namespace {

enum class ValueOutcome { kUnchanged, kRestored, kFailed };

bool Names(const RegFileValue& value, const Stage& stage) {
  return value.keyPath == stage.keyPath && value.valueName == stage.valueName &&
         value.type == stage.type;
}

// The saved value of each stage, in the stages' order; nothing when the file names any other
// value, or one of them twice.
std::optional<std::vector<std::optional<RegFileValue>>> SavedValues(
    const std::vector<RegFileValue>& values) {
  const auto stages = UpdateStages();
  std::vector<std::optional<RegFileValue>> saved(stages.size());
  for (const RegFileValue& value : values) {
    const auto stage =
        std::find_if(stages.begin(), stages.end(), [&](const Stage& s) { return Names(value, s); });
    if (stage == stages.end())
      return std::nullopt;
    auto& slot = saved[static_cast<std::size_t>(stage - stages.begin())];
    if (slot)
      return std::nullopt;
    slot = value;
  }
  return saved;
}

// What the update stores for a value that it read as `saved`.
std::optional<std::vector<std::byte>> UpdatedBytes(const Stage& stage, const RegFileValue& saved) {
  return ValueBytes(saved.type, stage.with(ValueText(saved.type, saved.bytes), stage.name));
}

ValueOutcome Restore(RegistryOps& registry, RunBackup& backup, MessageLog& log, const Stage& stage,
                     const RegFileValue& saved) {
  const std::optional<RegRead> read = ReadStageValue(registry, log, stage);
  if (!read)
    return ValueOutcome::kFailed;
  const std::u16string where = Where(stage.keyPath, stage.valueName);
  if (read->type == saved.type && read->bytes == saved.bytes) {
    log.LogMessage(u"Value already as saved, no change required");
    return ValueOutcome::kUnchanged;
  }
  if (read->type != saved.type || read->bytes != UpdatedBytes(stage, saved)) {
    log.LogMessage(ChangedSinceBackupMessage(where));
    return ValueOutcome::kFailed;
  }
  log.LogMessage(u"Restoring Value saved in backup.");
  SavedFile replaced = backup.Add(
      {std::u16string(stage.keyPath), std::u16string(stage.valueName), read->type, read->bytes},
      log);
  if (!replaced.ok()) {
    log.LogMessage(BackupFailureMessage(where, replaced));
    return ValueOutcome::kFailed;
  }
  RegWrite write = SetKeyDataBytes(registry, kHkeyLocalMachine, stage.keyPath, saved.type,
                                   stage.valueName, saved.bytes);
  if (!write.ok()) {
    log.LogMessage(WriteFailureMessage(where, write));
    return ValueOutcome::kFailed;
  }
  log.LogMessage(u"Key restored to value: " + WithNulsAsBlanks(ValueText(saved.type, saved.bytes)));
  return ValueOutcome::kRestored;
}

}  // namespace

UndoOutcome UndoAuthProtocols(RegistryOps& registry, BackupFiles& backups, MessageLog& log) {
  const LoadedFile file = backups.LoadNewest(BackupKind::kUpdate);
  if (file.outcome == LoadOutcome::kNone) {
    log.LogMessage(u"No backup of the update was found: there is nothing to undo.");
    return UndoOutcome::kNothingToUndo;
  }
  if (!file.ok()) {
    log.LogMessage(LoadFailureMessage(file));
    return UndoOutcome::kFailed;
  }
  log.LogMessage(u"Reading Backup From: " + file.path);
  const auto values = ParseRegFile(file.contents);
  const auto saved = values ? SavedValues(*values) : std::nullopt;
  if (!saved || values->empty()) {
    log.LogMessage(RefusedBackupMessage(file.path));
    return UndoOutcome::kFailed;
  }

  RunBackup backup(backups, BackupKind::kBeforeUndo);
  bool restored = false;
  bool failed = false;
  const auto stages = UpdateStages();
  for (std::size_t i = 0; i < stages.size(); ++i) {
    if (!(*saved)[i])
      continue;
    switch (Restore(registry, backup, log, stages[i], *(*saved)[i])) {
      case ValueOutcome::kUnchanged:
        break;
      case ValueOutcome::kRestored:
        restored = true;
        break;
      case ValueOutcome::kFailed:
        failed = true;
        break;
    }
    log.LogMessage(stages[i].complete);
  }
  log.LogMessage(u"DONE!");
  if (failed)
    return UndoOutcome::kFailed;
  return restored ? UndoOutcome::kRestored : UndoOutcome::kNothingToUndo;
}

}  // namespace tarnwick
