#include "update/update_and_check.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "backup/backup_messages.h"
#include "update/update_messages.h"

namespace tarnwick {
namespace {

// The update where `backup` is given; the check, which writes nothing and says what the update
// would add, where it is null.
class UpdateRun {
 public:
  UpdateRun(RegistryOps& registry, SystemInfoApi& system, RunBackup* backup, MessageLog& log)
      : registry_(registry), system_(system), backup_(backup), log_(log) {}

  // One stage, from its read to its closing line.
  void RunStage(const Stage& stage, StagesRun& run) { run.Close(stage, Outcome(stage)); }

 private:
  ValueOutcome Outcome(const Stage& stage) {
    const std::optional<RegRead> read = ReadStageValue(registry_, log_, stage);
    if (!read)
      return ValueOutcome::kFailed;
    if (read->type != stage.type) {
      log_.LogMessage(
          UnexpectedTypeMessage(Where(stage.keyPath, stage.valueName), read->type, stage.type));
      return ValueOutcome::kFailed;
    }
    if (stage.contains(read->text, stage.name) || BuiltIn(stage)) {
      log_.LogMessage(AlreadyPresentMessage(stage.name));
      return ValueOutcome::kUnchanged;
    }
    // A name is added only where Windows has what it names.
    if (const std::vector<std::u16string_view>& missing = MissingFiles(); !missing.empty()) {
      log_.LogMessage(NoCredsspMessage(stage.name, missing, folder_));
      return ValueOutcome::kFailed;
    }
    if (backup_ == nullptr) {
      log_.LogMessage(WouldAddMessage(stage.name));
      return ValueOutcome::kChanged;
    }
    log_.LogMessage(AddingMessage(stage.name));
    const std::u16string updated = stage.with(read->text, stage.name);
    if (!SaveStageValue(*backup_, log_, stage, *read) ||
        !StoredStageValue(log_, stage,
                          SetKeyDataValue(registry_, kHkeyLocalMachine, stage.keyPath, read->type,
                                          stage.valueName, updated)))
      return ValueOutcome::kFailed;
    log_.LogMessage(UpdatedMessage(updated));
    return ValueOutcome::kWritten;
  }

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
  RunBackup* backup_;
  MessageLog& log_;
  std::optional<std::vector<std::u16string_view>> missingFiles_;
  std::u16string folder_;
};

UpdateOutcome RunStages(RegistryOps& registry, SystemInfoApi& system, RunBackup* backup,
                        MessageLog& log) {
  UpdateRun update(registry, system, backup, log);
  StagesRun run(registry, log);
  for (const Stage& stage : UpdateStages())
    update.RunStage(stage, run);
  run.Finish();
  if (run.failed())
    return UpdateOutcome::kFailed;
  return run.changed() ? UpdateOutcome::kChanged : UpdateOutcome::kNothingToChange;
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

std::optional<RegRead> ReadStageValue(RegistryOps& registry, MessageLog& log, const Stage& stage) {
  const std::u16string where = Where(stage.keyPath, stage.valueName);
  log.LogMessage(ReadingMessage(where));
  RegType type = stage.type;
  RegRead read = GetKeyDataValue(registry, kHkeyLocalMachine, stage.keyPath, type, stage.valueName);
  if (!read.ok()) {
    log.LogMessage(ReadFailureMessage(where, read));
    return std::nullopt;
  }
  log.LogMessage(CurrentValueMessage(read.text));
  return read;
}

bool SaveStageValue(RunBackup& backup, MessageLog& log, const Stage& stage, const RegRead& read) {
  const BackupResult saved = backup.Add(
      {std::u16string(stage.keyPath), std::u16string(stage.valueName), read.type, read.bytes}, log);
  if (!saved.ok())
    log.LogMessage(BackupFailureMessage(Where(stage.keyPath, stage.valueName), saved));
  return saved.ok();
}

bool StoredStageValue(MessageLog& log, const Stage& stage, const RegResult& write) {
  if (!write.ok())
    log.LogMessage(WriteFailureMessage(Where(stage.keyPath, stage.valueName), write));
  return write.ok();
}

void StagesRun::Close(const Stage& stage, ValueOutcome outcome) {
  if (outcome == ValueOutcome::kWritten)
    written_.push_back(&stage);
  changed_ |= outcome == ValueOutcome::kChanged || outcome == ValueOutcome::kWritten;
  failed_ |= outcome == ValueOutcome::kFailed;
  log_.LogMessage(StepCompleteMessage(stage.step));
}

void StagesRun::Finish() {
  for (const Stage* stage : written_) {
    if (const SystemError status = FlushRegKey(registry_, kHkeyLocalMachine, stage->keyPath);
        !status.ok()) {
      log_.LogMessage(FlushFailureMessage(stage->keyPath, status));
      failed_ = true;
    }
  }
  log_.LogMessage(kDoneMessage);
}

}  // namespace tarnwick
