#include "update/value_table.h"

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

bool FlushStageKeys(RegistryOps& registry, MessageLog& log, std::span<const Stage* const> written) {
  bool flushed = true;
  for (const Stage* stage : written) {
    if (const SystemError status = FlushRegKey(registry, kHkeyLocalMachine, stage->keyPath);
        status.code != 0) {
      log.LogMessage(FlushFailureMessage(stage->keyPath, status));
      flushed = false;
    }
  }
  return flushed;
}

}  // namespace tarnwick
