#include "update/auth_protocols.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "backup/backup_files.h"
#include "backup/reg_file.h"
#include "platform/registry.h"
#include "update/name_lists.h"
#include "update/update_messages.h"
#include "update/value_table.h"

namespace tarnwick {
namespace {

// Whether this Windows has CredSSP at all: LSA loads tspkg.dll and credssp.dll from the system
// directory, so a name added where they are missing names a package that cannot load.
class CredsspFiles {
 public:
  explicit CredsspFiles(SystemInfoApi& system) : system_(system) {}

  // The files of the two that the system directory lacks, looked for once; empty when both are
  // there.
  const std::vector<std::u16string_view>& Missing() {
    if (!missing_) {
      missing_.emplace();
      for (std::u16string_view file : {u"tspkg.dll", u"credssp.dll"}) {
        if (!system_.IsNativeFile(Folder() + std::u16string(file)))
          missing_->push_back(file);
      }
    }
    return *missing_;
  }
  // The system directory, ending in "\".
  const std::u16string& Folder() {
    if (!folder_)
      folder_ = SystemDir(system_);
    return *folder_;
  }

 private:
  SystemInfoApi& system_;
  std::optional<std::u16string> folder_;
  std::optional<std::vector<std::u16string_view>> missing_;
};

enum class StageOutcome { kUnchanged, kChanged, kFailed };

// What a run does once it has decided that a name is missing: write it, or only say so.
class Change {
 public:
  virtual ~Change() = default;
  virtual StageOutcome Add(const Stage& stage, const RegRead& read, std::u16string_view where) = 0;
  // After the last stage: whether what was written is on disk.
  virtual bool Finish() = 0;
};

class WriteChange final : public Change {
 public:
  WriteChange(RegistryOps& registry, BackupFiles& backups, MessageLog& log)
      : registry_(registry), backup_(backups, BackupKind::kUpdate), log_(log) {}

  StageOutcome Add(const Stage& stage, const RegRead& read, std::u16string_view where) override {
    log_.LogMessage(u"Adding Value " + std::u16string(stage.name) + u" to registry key.");
    std::u16string updated = stage.with(read.text, stage.name);
    BackupResult saved = backup_.Add(
        {std::u16string(stage.keyPath), std::u16string(stage.valueName), read.type, read.bytes},
        log_);
    if (!saved.ok()) {
      log_.LogMessage(BackupFailureMessage(where, saved));
      return StageOutcome::kFailed;
    }
    RegWrite write = SetKeyDataValue(registry_, kHkeyLocalMachine, stage.keyPath, read.type,
                                     stage.valueName, updated);
    if (!write.ok()) {
      log_.LogMessage(WriteFailureMessage(where, write));
      return StageOutcome::kFailed;
    }
    log_.LogMessage(u"Key updated to value: " + WithNulsAsBlanks(updated));
    written_.push_back(&stage);
    return StageOutcome::kChanged;
  }

  bool Finish() override { return FlushStageKeys(registry_, log_, written_); }

 private:
  RegistryOps& registry_;
  RunBackup backup_;
  MessageLog& log_;
  std::vector<const Stage*> written_;
};

class ReportChange final : public Change {
 public:
  explicit ReportChange(MessageLog& log) : log_(log) {}

  StageOutcome Add(const Stage& stage, const RegRead&, std::u16string_view) override {
    log_.LogMessage(std::u16string(stage.name) + u" is missing: the update would add it");
    return StageOutcome::kChanged;
  }

  bool Finish() override { return true; }

 private:
  MessageLog& log_;
};

enum class BuiltInAnswer {
  kListed,     // Windows' list of built-in packages names the package
  kNotListed,  // the list is there and does not name it
  kNoList,     // there is no usable list
};

// Consults the list of built-in packages that Windows 8.1 and 10 before 1709 keep. A missing
// list is not logged; one that cannot be used is, and the stage goes on without it.
BuiltInAnswer BuiltInList(RegistryOps& registry, MessageLog& log, const Stage& stage) {
  const std::u16string where = Where(stage.builtIn->listKeyPath, stage.valueName);
  RegType type = kRegMultiSz;
  RegRead read = GetKeyDataValue(registry, kHkeyLocalMachine, stage.builtIn->listKeyPath, type,
                                 stage.valueName);
  if (read.outcome == ReadOutcome::kKeyMissing || read.outcome == ReadOutcome::kValueMissing)
    return BuiltInAnswer::kNoList;
  if (!read.ok()) {
    log.LogMessage(BuiltInReadFailureMessage(where, read));
    return BuiltInAnswer::kNoList;
  }
  if (type != kRegMultiSz) {
    log.LogMessage(BuiltInTypeMessage(where, type));
    return BuiltInAnswer::kNoList;
  }
  log.LogMessage(u"Reading Value From: " + where);
  log.LogMessage(u"Current Value: " + WithNulsAsBlanks(read.text));
  return PackageListContains(read.text, stage.name) ? BuiltInAnswer::kListed
                                                    : BuiltInAnswer::kNotListed;
}

// Whether Windows has the stage's name although its value does not list it: its own list of
// built-in packages decides where there is one; otherwise the version does.
bool BuiltIn(RegistryOps& registry, MessageLog& log, const Stage& stage,
             const WindowsVersion& windows) {
  if (stage.builtIn == nullptr)
    return false;
  switch (BuiltInList(registry, log, stage)) {
    case BuiltInAnswer::kListed:
      return true;
    case BuiltInAnswer::kNotListed:
      return false;
    case BuiltInAnswer::kNoList:
      break;
  }
  if (!windows.AtLeast(stage.builtIn->sinceMajor, stage.builtIn->sinceMinor))
    return false;
  log.LogMessage(u"Windows " + VersionText(windows) + u" has " + std::u16string(stage.name) +
                 u" built in");
  return true;
}

StageOutcome RunStage(RegistryOps& registry, const WindowsVersion& windows, CredsspFiles& credssp,
                      Change& change, MessageLog& log, const Stage& stage) {
  const std::optional<RegRead> read = ReadStageValue(registry, log, stage);
  if (!read)
    return StageOutcome::kFailed;
  const std::u16string where = Where(stage.keyPath, stage.valueName);
  if (read->type != stage.type) {
    log.LogMessage(UnexpectedTypeMessage(where, read->type, stage.type));
    return StageOutcome::kFailed;
  }
  if (stage.contains(read->text, stage.name) || BuiltIn(registry, log, stage, windows)) {
    log.LogMessage(std::u16string(stage.name) + u" already present, no change required");
    return StageOutcome::kUnchanged;
  }
  // A name is added only where Windows has what it names.
  if (const auto& missing = credssp.Missing(); !missing.empty()) {
    log.LogMessage(NoCredsspMessage(stage.name, missing, credssp.Folder()));
    return StageOutcome::kFailed;
  }
  return change.Add(stage, *read, where);
}

UpdateOutcome RunStages(RegistryOps& registry, SystemInfoApi& system, Change& change,
                        MessageLog& log) {
  const WindowsVersion windows = RunningWindows(system);
  CredsspFiles credssp(system);
  bool changed = false;
  bool failed = false;
  for (const Stage& stage : UpdateStages()) {
    switch (RunStage(registry, windows, credssp, change, log, stage)) {
      case StageOutcome::kUnchanged:
        break;
      case StageOutcome::kChanged:
        changed = true;
        break;
      case StageOutcome::kFailed:
        failed = true;
        break;
    }
    log.LogMessage(stage.complete);
  }
  if (!change.Finish())
    failed = true;
  log.LogMessage(u"DONE!");
  if (failed)
    return UpdateOutcome::kFailed;
  return changed ? UpdateOutcome::kChanged : UpdateOutcome::kNothingToChange;
}

}  // namespace

UpdateOutcome UpdateAuthProtocols(RegistryOps& registry, BackupFiles& backups,
                                  SystemInfoApi& system, MessageLog& log) {
  WriteChange change(registry, backups, log);
  return RunStages(registry, system, change, log);
}

UpdateOutcome CheckAuthProtocols(RegistryOps& registry, SystemInfoApi& system, MessageLog& log) {
  ReportChange change(log);
  return RunStages(registry, system, change, log);
}

}  // namespace tarnwick
