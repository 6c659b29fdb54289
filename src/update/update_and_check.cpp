#include "update/update_and_check.h"

#include <optional>
#include <string>
#include <vector>

#include "backup/backup_messages.h"
#include "update/update_messages.h"

namespace tarnwick {
namespace {

// The update's decisions where it writes; the check's, which say what the update would add,
// where it does not.
class UpdateRun {
 public:
  UpdateRun(RegistryOps& registry, SystemInfoApi& system, bool writes, MessageLog& log)
      : registry_(registry), system_(system), writes_(writes), log_(log) {}

  StageDecision Decide(const Stage& stage, const RegRead& read) {
    if (read.type != stage.type) {
      log_.LogMessage(
          UnexpectedTypeMessage(Where(stage.keyPath, stage.valueName), read.type, stage.type));
      return ValueOutcome::kFailed;
    }
    if (stage.contains(read.text, stage.name) || BuiltIn(stage)) {
      log_.LogMessage(AlreadyPresentMessage(stage.name));
      return ValueOutcome::kUnchanged;
    }
    // A name is added only where Windows has what it names.
    if (const std::vector<std::u16string_view>& missing = MissingFiles(); !missing.empty()) {
      log_.LogMessage(NoCredsspMessage(stage.name, missing, folder_));
      return ValueOutcome::kFailed;
    }
    if (!writes_) {
      log_.LogMessage(WouldAddMessage(stage.name));
      return ValueOutcome::kChanged;
    }
    log_.LogMessage(AddingMessage(stage.name));
    const std::u16string updated = stage.with(read.text, stage.name);
    return StageWrite{[this, &stage, type = read.type, updated] {
                        return SetKeyDataValue(registry_, kHkeyLocalMachine, stage.keyPath, type,
                                               stage.valueName, updated);
                      },
                      UpdatedMessage(updated)};
  }

 private:
  // Whether Windows has the stage's name although its value does not list it: its own list of
  // built-in packages decides where there is one (Windows 8.1 and 10 before 1709 keep it);
  // otherwise the version does. A missing list is not logged; one that cannot be used is, and
  // the stage goes on without it.
  bool BuiltIn(const Stage& stage) {
    if (stage.builtIn == nullptr)
      return false;
    const std::u16string where = Where(stage.builtIn->listKeyPath, stage.valueName);
    RegType type = kRegMultiSz;
    const RegRead read = GetKeyDataValue(registry_, kHkeyLocalMachine, stage.builtIn->listKeyPath,
                                         type, stage.valueName);
    if (read.ok() && type == kRegMultiSz) {
      log_.LogMessage(ReadingMessage(where));
      log_.LogMessage(CurrentValueMessage(read.text));
      return PackageListContains(read.text, stage.name);
    }
    if (read.ok())
      log_.LogMessage(BuiltInTypeMessage(where, type));
    else if (!read.Missing())
      log_.LogMessage(BuiltInReadFailureMessage(where, read));
    const WindowsVersion windows = RunningWindows(system_);
    if (!windows.AtLeast(stage.builtIn->sinceMajor, stage.builtIn->sinceMinor))
      return false;
    log_.LogMessage(BuiltInMessage(windows, stage.name));
    return true;
  }

  // LSA loads tspkg.dll and credssp.dll from the system directory, so a name added where they
  // are missing names a package that cannot load. Looked for once, when a name is missing.
  const std::vector<std::u16string_view>& MissingFiles() {
    if (!missingFiles_) {
      folder_ = SystemDir(system_);
      missingFiles_.emplace();
      for (std::u16string_view file : {u"tspkg.dll", u"credssp.dll"}) {
        if (!system_.IsNativeFile(folder_ + std::u16string(file)))
          missingFiles_->push_back(file);
      }
    }
    return *missingFiles_;
  }

  RegistryOps& registry_;
  SystemInfoApi& system_;
  bool writes_;
  MessageLog& log_;
  std::optional<std::vector<std::u16string_view>> missingFiles_;
  std::u16string folder_;
};

UpdateOutcome RunStages(RegistryOps& registry, SystemInfoApi& system, RunBackup* backup,
                        MessageLog& log) {
  UpdateRun update(registry, system, backup != nullptr, log);
  StagesRun run(registry, backup, log);
  for (const Stage& stage : UpdateStages())
    run.Run(stage, [&](const RegRead& read) { return update.Decide(stage, read); });
  return run.Finish();
}

}  // namespace

UpdateOutcome UpdateAuthProtocols(RegistryOps& registry, BackupFiles& backups,
                                  SystemInfoApi& system, MessageLog& log) {
  RunBackup backup(backups, BackupKind::kUpdate);
  return RunStages(registry, system, &backup, log);
}

UpdateOutcome CheckAuthProtocols(RegistryOps& registry, SystemInfoApi& system, MessageLog& log) {
  return RunStages(registry, system, nullptr, log);
}

void StagesRun::Run(const Stage& stage,
                    const std::function<StageDecision(const RegRead&)>& decide) {
  const std::u16string where = Where(stage.keyPath, stage.valueName);
  log_.LogMessage(ReadingMessage(where));
  RegType type = stage.type;
  const RegRead read =
      GetKeyDataValue(registry_, kHkeyLocalMachine, stage.keyPath, type, stage.valueName);
  log_.LogMessage(read.ok() ? CurrentValueMessage(read.text) : ReadFailureMessage(where, read));
  StageDecision decision = read.ok() ? decide(read) : ValueOutcome::kFailed;
  if (const StageWrite* write = std::get_if<StageWrite>(&decision)) {
    const BackupResult saved = backup_->Add(
        {std::u16string(stage.keyPath), std::u16string(stage.valueName), read.type, read.bytes},
        log_);
    const RegResult stored = saved.ok() ? write->store() : RegResult{};
    if (!saved.ok())
      log_.LogMessage(BackupFailureMessage(where, saved));
    else
      log_.LogMessage(stored.ok() ? write->line : WriteFailureMessage(where, stored));
    decision = saved.ok() && stored.ok() ? ValueOutcome::kWritten : ValueOutcome::kFailed;
  }
  Close(stage, std::get<ValueOutcome>(decision));
}

void StagesRun::Close(const Stage& stage, ValueOutcome outcome) {
  if (outcome == ValueOutcome::kWritten)
    written_.push_back(&stage);
  changed_ |= outcome == ValueOutcome::kChanged || outcome == ValueOutcome::kWritten;
  failed_ |= outcome == ValueOutcome::kFailed;
  log_.LogMessage(StepCompleteMessage(stage.step));
}

UpdateOutcome StagesRun::Finish() {
  for (const Stage* stage : written_) {
    if (const SystemError status = FlushRegKey(registry_, kHkeyLocalMachine, stage->keyPath);
        !status.ok()) {
      log_.LogMessage(FlushFailureMessage(stage->keyPath, status));
      failed_ = true;
    }
  }
  log_.LogMessage(kDoneMessage);
  if (failed_)
    return UpdateOutcome::kFailed;
  return changed_ ? UpdateOutcome::kChanged : UpdateOutcome::kNothingToChange;
}

}  // namespace tarnwick
