#include "update/undo.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "backup/backup_files.h"
#include "backup/reg_file.h"
#include "platform/registry.h"
#include "update/name_lists.h"
#include "update/update_messages.h"
#include "update/value_table.h"

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
  BackupResult replaced = backup.Add(
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

// What decides a value: the newest backup that names it, with what that backup saved.
struct Decision {
  BackupKind kind = BackupKind::kUpdate;
  RegFileValue saved;
};

// Reads the backups newest first until each stage's value has the one that decides it, or
// there are no more. Any file read that is not one of ours refuses the whole undo: false,
// after logging why.
bool Decide(BackupFiles& backups, MessageLog& log, std::vector<std::optional<Decision>>& decisions,
            bool& anyUpdate) {
  const ListedBackups listing = backups.ListNewestFirst();
  for (const MovedAside& moved : listing.movedAside)
    log.LogMessage(MovedAsideMessage(moved));
  if (!listing.ok()) {
    log.LogMessage(ListFailureMessage(listing));
    return false;
  }
  anyUpdate = std::any_of(listing.newestFirst.begin(), listing.newestFirst.end(),
                          [](const BackupEntry& e) { return e.kind == BackupKind::kUpdate; });
  std::size_t open = decisions.size();
  for (const BackupEntry& entry : listing.newestFirst) {
    if (open == 0 || !anyUpdate)
      break;
    const LoadedFile file = backups.Load(entry.path);
    if (file.outcome == BackupOutcome::kFileUntrusted) {
      // Planted: it neither steers nor blocks the undo.
      log.LogMessage(UntrustedBackupMessage(file.path));
      continue;
    }
    if (!file.ok()) {
      log.LogMessage(LoadFailureMessage(file));
      return false;
    }
    log.LogMessage(u"Reading Backup From: " + file.path);
    const auto values = ParseRegFile(file.contents);
    const auto saved = values ? SavedValues(*values) : std::nullopt;
    if (!saved || values->empty()) {
      log.LogMessage(RefusedBackupMessage(file.path));
      return false;
    }
    for (std::size_t i = 0; i < decisions.size(); ++i) {
      if ((*saved)[i] && !decisions[i]) {
        decisions[i] = Decision{entry.kind, *(*saved)[i]};
        --open;
      }
    }
  }
  return true;
}

}  // namespace

UndoOutcome UndoAuthProtocols(RegistryOps& registry, BackupFiles& backups, MessageLog& log) {
  const auto stages = UpdateStages();
  std::vector<std::optional<Decision>> decisions(stages.size());
  bool anyUpdate = false;
  if (!Decide(backups, log, decisions, anyUpdate))
    return UndoOutcome::kFailed;
  if (!anyUpdate || std::none_of(decisions.begin(), decisions.end(),
                                 [](const auto& decision) { return decision.has_value(); })) {
    log.LogMessage(u"No backup of the update was found: there is nothing to undo.");
    return UndoOutcome::kNothingToUndo;
  }

  RunBackup backup(backups, BackupKind::kBeforeUndo);
  std::vector<const Stage*> written;
  bool failed = false;
  for (std::size_t i = 0; i < stages.size(); ++i) {
    if (!decisions[i])
      continue;
    if (decisions[i]->kind == BackupKind::kBeforeUndo) {
      log.LogMessage(AlreadyUndoneMessage(Where(stages[i].keyPath, stages[i].valueName)));
    } else {
      switch (Restore(registry, backup, log, stages[i], decisions[i]->saved)) {
        case ValueOutcome::kUnchanged:
          break;
        case ValueOutcome::kRestored:
          written.push_back(&stages[i]);
          break;
        case ValueOutcome::kFailed:
          failed = true;
          break;
      }
    }
    log.LogMessage(stages[i].complete);
  }
  if (!FlushStageKeys(registry, log, written))
    failed = true;
  log.LogMessage(u"DONE!");
  if (failed)
    return UndoOutcome::kFailed;
  return written.empty() ? UndoOutcome::kNothingToUndo : UndoOutcome::kRestored;
}

}  // namespace tarnwick
