#include "update/value_table.h"

#include <vector>

#include "update/name_lists.h"
#include "update/update_messages.h"

namespace tarnwick {
namespace {

constexpr BuiltInPackage kTspkgBuiltIn = {u"SYSTEM\\CurrentControlSet\\Control\\Lsa\\OSConfig", 6,
                                          3};

constexpr Stage kStages[] = {
    {u"SYSTEM\\CurrentControlSet\\Control\\Lsa", u"Security Packages", kRegMultiSz, u"tspkg",
     PackageListContains, PackageListWith, u"Step 1 Complete\r\n", &kTspkgBuiltIn},
    {u"SYSTEM\\CurrentControlSet\\Control\\SecurityProviders", u"SecurityProviders", kRegSz,
     u"credssp.dll", ProviderListContains, ProviderListWith, u"Step 2 Complete\r\n", nullptr},
};

}  // namespace

std::span<const Stage> UpdateStages() {
  return kStages;
}

std::u16string Where(std::u16string_view keyPath, std::u16string_view valueName) {
  return std::u16string(keyPath) + u"\\" + std::u16string(valueName);
}

std::optional<RegRead> ReadStageValue(RegistryOps& registry, MessageLog& log, const Stage& stage) {
  const std::u16string where = Where(stage.keyPath, stage.valueName);
  log.LogMessage(u"Reading Value From: " + where);
  RegType type = stage.type;
  RegRead read = GetKeyDataValue(registry, kHkeyLocalMachine, stage.keyPath, type, stage.valueName);
  if (!read.ok()) {
    log.LogMessage(ReadFailureMessage(where, read));
    return std::nullopt;
  }
  log.LogMessage(u"Current Value: " + WithNulsAsBlanks(read.text));
  return read;
}

bool ReplaceStageValue(RunBackup& backup, MessageLog& log, const Stage& stage, const RegRead& read,
                       const std::function<RegResult()>& write) {
  const std::u16string where = Where(stage.keyPath, stage.valueName);
  const SavedFile saved = backup.Add(
      {std::u16string(stage.keyPath), std::u16string(stage.valueName), read.type, read.bytes}, log);
  if (!saved.ok()) {
    log.LogMessage(BackupFailureMessage(where, saved));
    return false;
  }
  const RegResult written = write();
  if (!written.ok())
    log.LogMessage(WriteFailureMessage(where, written));
  return written.ok();
}

StagesRun RunEachStage(RegistryOps& registry, MessageLog& log,
                       const std::function<ValueOutcome(const Stage&)>& each) {
  StagesRun run;
  std::vector<const Stage*> written;
  for (const Stage& stage : UpdateStages()) {
    const ValueOutcome outcome = each(stage);
    if (outcome == ValueOutcome::kSkipped)
      continue;
    if (outcome == ValueOutcome::kWritten)
      written.push_back(&stage);
    run.changed |= outcome == ValueOutcome::kChanged || outcome == ValueOutcome::kWritten;
    run.failed |= outcome == ValueOutcome::kFailed;
    log.LogMessage(stage.complete);
  }
  for (const Stage* stage : written) {
    if (const SystemError status = FlushRegKey(registry, kHkeyLocalMachine, stage->keyPath);
        status.code != 0) {
      log.LogMessage(FlushFailureMessage(stage->keyPath, status));
      run.failed = true;
    }
  }
  log.LogMessage(u"DONE!");
  return run;
}

}  // namespace tarnwick
