#include "update/auth_protocols.h"

#include <string>
#include <string_view>

#include "platform/registry.h"
#include "update/name_lists.h"
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
};

constexpr Stage kStages[] = {
    {u"SYSTEM\\CurrentControlSet\\Control\\Lsa", u"Security Packages", kRegMultiSz, u"tspkg",
     PackageListContains, PackageListWith, u"Step 1 Complete\r\n"},
    {u"SYSTEM\\CurrentControlSet\\Control\\SecurityProviders", u"SecurityProviders", kRegSz,
     u"credssp.dll", ProviderListContains, ProviderListWith, u"Step 2 Complete\r\n"},
};

void AddWhenMissing(RegistryOps& registry, MessageLog& log, const Stage& stage,
                    std::u16string_view where) {
  RegType type = stage.type;
  RegRead read = GetKeyDataValue(registry, kHkeyLocalMachine, stage.keyPath, type, stage.valueName);
  if (!read.ok()) {
    log.LogMessage(ReadFailureMessage(where, read));
    return;
  }
  log.LogMessage(u"Current Value: " + WithNulsAsBlanks(read.text));
  if (type != stage.type) {
    log.LogMessage(UnexpectedTypeMessage(where, type, stage.type));
    return;
  }
  if (stage.contains(read.text, stage.name)) {
    log.LogMessage(std::u16string(stage.name) + u" already present, no change required");
    return;
  }
  log.LogMessage(u"Adding Value " + std::u16string(stage.name) + u" to registry key.");
  std::u16string updated = stage.with(read.text, stage.name);
  RegWrite write =
      SetKeyDataValue(registry, kHkeyLocalMachine, stage.keyPath, type, stage.valueName, updated);
  if (!write.ok()) {
    log.LogMessage(WriteFailureMessage(where, write));
    return;
  }
  log.LogMessage(u"Key updated to value: " + WithNulsAsBlanks(updated));
}

}  // namespace

void UpdateAuthProtocols(RegistryOps& registry, MessageLog& log) {
  for (const Stage& stage : kStages) {
    const std::u16string where =
        std::u16string(stage.keyPath) + u"\\" + std::u16string(stage.valueName);
    log.LogMessage(u"Reading Value From: " + where);
    AddWhenMissing(registry, log, stage, where);
    log.LogMessage(stage.complete);
  }
  log.LogMessage(u"DONE!");
}

}  // namespace tarnwick
