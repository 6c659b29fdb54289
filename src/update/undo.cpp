#include "update/undo.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "backup/backup_files.h"
#include "backup/backup_messages.h"
#include "backup/reg_file.h"
#include "platform/registry.h"
#include "update/update_and_check.h"
#include "update/update_messages.h"
#include "update/value_table.h"

namespace tarnwick {
namespace {

// The saved value of each stage, in the stages' order; nothing when the file names any other
// value, or one of them twice.
std::optional<std::vector<std::optional<RegFileValue>>> SavedValues(
    const std::vector<RegFileValue>& values) {
  const auto stages = UpdateStages();
  std::vector<std::optional<RegFileValue>> saved(stages.size());
  for (const RegFileValue& value : values) {
    const auto stage = std::find_if(stages.begin(), stages.end(), [&](const Stage& s) {
      return value.keyPath == s.keyPath && value.valueName == s.valueName && value.type == s.type;
    });
    auto* slot = stage == stages.end() ? nullptr : &saved[std::size_t(stage - stages.begin())];
    if (slot == nullptr || *slot)
      return std::nullopt;
    *slot = value;
  }
  return saved;
}

// What the update stores for a value that it read as `saved`.
std::optional<std::vector<std::byte>> UpdatedBytes(const Stage& stage, const RegFileValue& saved) {
  return ValueBytes(saved.type, stage.with(ValueText(saved.type, saved.bytes), stage.name));
}

// Where the value `read` is exactly what the update made of `saved`, the write that puts `saved`
// back.
StageDecision Restore(RegistryOps& registry, MessageLog& log, const Stage& stage,
                      const RegFileValue& saved, const RegRead& read) {
  if (read.type == saved.type && read.bytes == saved.bytes) {
    log.LogMessage(kAlreadyAsSavedMessage);
    return ValueOutcome::kUnchanged;
  }
  if (read.type != saved.type || read.bytes != UpdatedBytes(stage, saved)) {
    log.LogMessage(ChangedSinceBackupMessage(Where(stage.keyPath, stage.valueName)));
    return ValueOutcome::kFailed;
  }
  log.LogMessage(kRestoringMessage);
  return StageWrite{[&registry, &stage, &saved] {
                      return SetKeyDataBytes(registry, kHkeyLocalMachine, stage.keyPath, saved.type,
                                             stage.valueName, saved.bytes);
                    },
                    RestoredMessage(ValueText(saved.type, saved.bytes))};
}

// What decides a value: the newest backup that names it, with what that backup saved.
struct Decision {
  BackupKind kind = BackupKind::kUpdate;
  RegFileValue saved;
};

using Decisions = std::vector<std::optional<Decision>>;

// Reads the backups newest first until each stage's value has the one that decides it, or
// there are no more (none where no backup is an update's). Any file read that is not one of
// ours refuses the whole undo: nothing, after logging why.
std::optional<Decisions> Decide(BackupFiles& backups, MessageLog& log) {
  Decisions decisions(UpdateStages().size());
  const ListedBackups listing = backups.ListNewestFirst();
  for (const NotUsed& entry : listing.notUsed)
    log.LogMessage(NotUsedMessage(entry));
  if (!listing.ok()) {
    log.LogMessage(ListFailureMessage(listing));
    return std::nullopt;
  }
  const bool anyUpdate =
      std::any_of(listing.newestFirst.begin(), listing.newestFirst.end(),
                  [](const BackupEntry& e) { return e.kind == BackupKind::kUpdate; });
  std::size_t open = anyUpdate ? decisions.size() : 0;
  for (const BackupEntry& entry : listing.newestFirst) {
    if (open == 0)
      break;
    const LoadedFile file = backups.Load(entry.path);
    if (file.outcome == BackupOutcome::kFileUntrusted) {
      // Made by someone else: it neither steers nor blocks the undo.
      log.LogMessage(UntrustedBackupMessage(file.path));
      continue;
    }
    if (!file.ok()) {
      log.LogMessage(LoadFailureMessage(file));
      return std::nullopt;
    }
    log.LogMessage(ReadingBackupMessage(file.path));
    const auto values = ParseRegFile(file.contents);
    const auto saved = values ? SavedValues(*values) : std::nullopt;
    if (!saved || values->empty()) {
      log.LogMessage(RefusedBackupMessage(file.path));
      return std::nullopt;
    }
    for (std::size_t i = 0; i < decisions.size(); ++i) {
      if ((*saved)[i] && !decisions[i]) {
        decisions[i] = Decision{entry.kind, *(*saved)[i]};
        --open;
      }
    }
  }
  return decisions;
}

}  // namespace

UpdateOutcome UndoAuthProtocols(RegistryOps& registry, BackupFiles& backups, MessageLog& log) {
  const std::optional<Decisions> decisions = Decide(backups, log);
  if (!decisions)
    return UpdateOutcome::kFailed;
  if (std::none_of(decisions->begin(), decisions->end(),
                   [](const auto& decision) { return decision.has_value(); })) {
    log.LogMessage(kNothingToUndoMessage);
    return UpdateOutcome::kNothingToChange;
  }
  RunBackup backup(backups, BackupKind::kBeforeUndo);
  const auto stages = UpdateStages();
  StagesRun run(registry, &backup, log);
  for (std::size_t i = 0; i < stages.size(); ++i) {
    const std::optional<Decision>& decision = (*decisions)[i];
    if (decision && decision->kind == BackupKind::kBeforeUndo) {
      log.LogMessage(AlreadyUndoneMessage(Where(stages[i].keyPath, stages[i].valueName)));
      run.Close(stages[i], ValueOutcome::kUnchanged);
    } else if (decision) {
      run.Run(stages[i], [&](const RegRead& read) {
        return Restore(registry, log, stages[i], decision->saved, read);
      });
    }
  }
  return run.Finish();
}

}  // namespace tarnwick
