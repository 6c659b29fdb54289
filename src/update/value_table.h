// The two values the update extends, and how: where each lives, the name it must hold, and the
// form of its list. The update, its check and its undo all work from this one table.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "log/message_log.h"
#include "platform/registry.h"
#include "platform/registry_ops.h"
#include "platform/system_info.h"

namespace tarnwick {

// A package that Windows loads by itself from a version on, whatever the value lists.
struct BuiltInPackage {
  // Windows 8.1 and later name their built-in packages here, in a value of the stage's name;
  // from Windows 10 1709 on the key is there but empty.
  std::u16string_view listKeyPath;
  std::uint32_t sinceMajor;
  std::uint32_t sinceMinor;
};

struct Stage {
  std::u16string_view keyPath;  // below HKEY_LOCAL_MACHINE
  std::u16string_view valueName;
  RegType type;
  std::u16string_view name;  // the name the value must hold
  bool (*contains)(std::u16string_view list, std::u16string_view name);
  std::u16string (*with)(std::u16string_view list, std::u16string_view name);
  std::u16string_view complete;   // the stage's closing log line
  const BuiltInPackage* builtIn;  // null when Windows has no such package
};

// "Security Packages" with tspkg, then "SecurityProviders" with credssp.dll, in that order.
std::span<const Stage> UpdateStages();

// The key path, "\" and the value name, as the log names a value.
std::u16string Where(std::u16string_view keyPath, std::u16string_view valueName);

// Reads the stage's value as the update does, logging where it reads and what it found, or
// why it could not read it. The read's `type` is the type the value has.
std::optional<RegRead> ReadStageValue(RegistryOps& registry, MessageLog& log, const Stage& stage);

// Flushes the keys of the stages a run wrote (each stage has a key of its own), so that the writes
// are on disk before the run reports them; logs each key that could not be flushed. Whether all
// were.
bool FlushStageKeys(RegistryOps& registry, MessageLog& log, std::span<const Stage* const> written);

}  // namespace tarnwick
