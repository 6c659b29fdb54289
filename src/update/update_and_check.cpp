#include "update/update_and_check.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "backup/backup_files.h"
#include "update/update_messages.h"
#include "update/value_table.h"

namespace tarnwick {
namespace {

// Whether Windows has the stage's name although its value does not list it: its own list of
// built-in packages decides where there is one (Windows 8.1 and 10 before 1709 keep it);
// otherwise the version does. A missing list is not logged; one that cannot be used is, and the
// stage goes on without it.
bool BuiltIn(RegistryOps& registry, MessageLog& log, const Stage& stage,
             const WindowsVersion& windows) {
  if (stage.builtIn == nullptr)
    return false;
  const std::u16string where = Where(stage.builtIn->listKeyPath, stage.valueName);
  RegType type = kRegMultiSz;
  const RegRead read = GetKeyDataValue(registry, kHkeyLocalMachine, stage.builtIn->listKeyPath,
                                       type, stage.valueName);
  if (read.ok() && type == kRegMultiSz) {
    log.LogMessage(u"Reading Value From: " + where);
    log.LogMessage(u"Current Value: " + WithNulsAsBlanks(read.text));
    return PackageListContains(read.text, stage.name);
  }
  if (read.ok())
    log.LogMessage(BuiltInTypeMessage(where, type));
  else if (!read.Missing())
    log.LogMessage(BuiltInReadFailureMessage(where, read));
  if (!windows.AtLeast(stage.builtIn->sinceMajor, stage.builtIn->sinceMinor))
    return false;
  log.LogMessage(u"Windows " + VersionText(windows) + u" has " + std::u16string(stage.name) +
                 u" built in");
  return true;
}

// The update where `backup` is given; the check, which writes nothing and says what the update
// would add, where it is null.
UpdateOutcome RunStages(RegistryOps& registry, SystemInfoApi& system, RunBackup* backup,
                        MessageLog& log) {
  const WindowsVersion windows = RunningWindows(system);
  // LSA loads tspkg.dll and credssp.dll from the system directory, so a name added where they
  // are missing names a package that cannot load. Looked for once, when a name is missing.
  std::optional<std::vector<std::u16string_view>> missingFiles;
  std::u16string folder;
  const auto runStage = [&](const Stage& stage) {
    const std::optional<RegRead> read = ReadStageValue(registry, log, stage);
    if (!read)
      return ValueOutcome::kFailed;
    if (read->type != stage.type) {
      log.LogMessage(
          UnexpectedTypeMessage(Where(stage.keyPath, stage.valueName), read->type, stage.type));
      return ValueOutcome::kFailed;
    }
    if (stage.contains(read->text, stage.name) || BuiltIn(registry, log, stage, windows)) {
      log.LogMessage(std::u16string(stage.name) + u" already present, no change required");
      return ValueOutcome::kUnchanged;
    }
    if (!missingFiles) {
      folder = SystemDir(system);
      missingFiles.emplace();
      for (std::u16string_view file : {u"tspkg.dll", u"credssp.dll"}) {
        if (!system.IsNativeFile(folder + std::u16string(file)))
          missingFiles->push_back(file);
      }
    }
    // A name is added only where Windows has what it names.
    if (!missingFiles->empty()) {
      log.LogMessage(NoCredsspMessage(stage.name, *missingFiles, folder));
      return ValueOutcome::kFailed;
    }
    if (backup == nullptr) {
      log.LogMessage(std::u16string(stage.name) + u" is missing: the update would add it");
      return ValueOutcome::kChanged;
    }
    log.LogMessage(u"Adding Value " + std::u16string(stage.name) + u" to registry key.");
    const std::u16string updated = stage.with(read->text, stage.name);
    if (!SaveStageValue(*backup, log, stage, *read) ||
        !StoredStageValue(log, stage,
                          SetKeyDataValue(registry, kHkeyLocalMachine, stage.keyPath, read->type,
                                          stage.valueName, updated)))
      return ValueOutcome::kFailed;
    log.LogMessage(u"Key updated to value: " + WithNulsAsBlanks(updated));
    return ValueOutcome::kWritten;
  };
  StagesRun run(registry, log);
  for (const Stage& stage : UpdateStages())
    run.Close(stage, runStage(stage));
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

}  // namespace tarnwick
