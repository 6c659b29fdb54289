#include "update/auth_protocols.h"

#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"
#include "update/name_lists.h"
#include "update/reg_file.h"
#include "update/update_messages.h"

namespace tarnwick {
namespace {

struct Stage {
  std::u16string_view keyPath;
  std::u16string_view valueName;
  RegType type;
  std::u16string_view name;
  bool (*contains)(std::u16string_view list, std::u16string_view name);
  std::u16string (*with)(std::u16string_view list, std::u16string_view name);
  std::u16string_view complete;
  // Where Windows 8.1 and later list their built-in packages; empty when the stage has none.
  std::u16string_view builtInKeyPath;
};

constexpr Stage kStages[] = {
    {u"SYSTEM\\CurrentControlSet\\Control\\Lsa", u"Security Packages", kRegMultiSz, u"tspkg",
     PackageListContains, PackageListWith, u"Step 1 Complete\r\n",
     u"SYSTEM\\CurrentControlSet\\Control\\Lsa\\OSConfig"},
    {u"SYSTEM\\CurrentControlSet\\Control\\SecurityProviders",
     u"SecurityProviders",
     kRegSz,
     u"credssp.dll",
     ProviderListContains,
     ProviderListWith,
     u"Step 2 Complete\r\n",
     {}},
};

enum class StageOutcome { kUnchanged, kWritten, kFailed };

std::u16string Where(std::u16string_view keyPath, std::u16string_view valueName) {
  return std::u16string(keyPath) + u"\\" + std::u16string(valueName);
}

// The run's backup file: made at the run's first change, grown by each further one.
class RunBackup {
 public:
  explicit RunBackup(BackupFiles& files) : files_(files) {}

  // Saves `value` with those saved before it; logs the file's path when it is first made.
  SavedFile Add(RegFileValue value, MessageLog& log) {
    values_.push_back(std::move(value));
    const std::vector<std::byte> contents = RegFileBytes(RegFileText(values_));
    SavedFile saved = path_.empty() ? files_.SaveNew(BackupKind::kUpdate, contents)
                                    : files_.Replace(path_, contents);
    if (!saved.ok()) {
      values_.pop_back();
      return saved;
    }
    if (path_.empty()) {
      path_ = saved.path;
      log.LogMessage(u"Backup saved to: " + path_);
    }
    return saved;
  }

 private:
  BackupFiles& files_;
  std::vector<RegFileValue> values_;
  std::u16string path_;
};

// Whether the built-in package list of Windows 8.1 and later names `stage.name`. On older
// Windows the list does not exist and nothing is logged.
bool BuiltIn(RegistryOps& registry, MessageLog& log, const Stage& stage) {
  if (stage.builtInKeyPath.empty())
    return false;
  const std::u16string where = Where(stage.builtInKeyPath, stage.valueName);
  RegType type = kRegMultiSz;
  RegRead read =
      GetKeyDataValue(registry, kHkeyLocalMachine, stage.builtInKeyPath, type, stage.valueName);
  if (read.outcome == ReadOutcome::kKeyMissing || read.outcome == ReadOutcome::kValueMissing)
    return false;
  if (!read.ok()) {
    log.LogMessage(BuiltInReadFailureMessage(where, read));
    return false;
  }
  if (type != kRegMultiSz) {
    log.LogMessage(BuiltInTypeMessage(where, type));
    return false;
  }
  log.LogMessage(u"Reading Value From: " + where);
  log.LogMessage(u"Current Value: " + WithNulsAsBlanks(read.text));
  return PackageListContains(read.text, stage.name);
}

StageOutcome AddWhenMissing(RegistryOps& registry, RunBackup& backup, MessageLog& log,
                            const Stage& stage, std::u16string_view where) {
  RegType type = stage.type;
  RegRead read = GetKeyDataValue(registry, kHkeyLocalMachine, stage.keyPath, type, stage.valueName);
  if (!read.ok()) {
    log.LogMessage(ReadFailureMessage(where, read));
    return StageOutcome::kFailed;
  }
  log.LogMessage(u"Current Value: " + WithNulsAsBlanks(read.text));
  if (type != stage.type) {
    log.LogMessage(UnexpectedTypeMessage(where, type, stage.type));
    return StageOutcome::kFailed;
  }
  if (stage.contains(read.text, stage.name) || BuiltIn(registry, log, stage)) {
    log.LogMessage(std::u16string(stage.name) + u" already present, no change required");
    return StageOutcome::kUnchanged;
  }
  log.LogMessage(u"Adding Value " + std::u16string(stage.name) + u" to registry key.");
  std::u16string updated = stage.with(read.text, stage.name);
  SavedFile saved = backup.Add(
      {std::u16string(stage.keyPath), std::u16string(stage.valueName), type, read.bytes}, log);
  if (!saved.ok()) {
    log.LogMessage(BackupFailureMessage(where, saved));
    return StageOutcome::kFailed;
  }
  RegWrite write =
      SetKeyDataValue(registry, kHkeyLocalMachine, stage.keyPath, type, stage.valueName, updated);
  if (!write.ok()) {
    log.LogMessage(WriteFailureMessage(where, write));
    return StageOutcome::kFailed;
  }
  log.LogMessage(u"Key updated to value: " + WithNulsAsBlanks(updated));
  return StageOutcome::kWritten;
}

}  // namespace

UpdateOutcome UpdateAuthProtocols(RegistryOps& registry, BackupFiles& backups, MessageLog& log) {
  RunBackup backup(backups);
  bool written = false;
  bool failed = false;
  for (const Stage& stage : kStages) {
    const std::u16string where = Where(stage.keyPath, stage.valueName);
    log.LogMessage(u"Reading Value From: " + where);
    switch (AddWhenMissing(registry, backup, log, stage, where)) {
      case StageOutcome::kUnchanged:
        break;
      case StageOutcome::kWritten:
        written = true;
        break;
      case StageOutcome::kFailed:
        failed = true;
        break;
    }
    log.LogMessage(stage.complete);
  }
  log.LogMessage(u"DONE!");
  if (failed)
    return UpdateOutcome::kFailed;
  return written ? UpdateOutcome::kChanged : UpdateOutcome::kNothingToChange;
}

}  // namespace tarnwick
