// The two values the update extends, and how: where each lives, the name it must hold, and the
// form of its list. The update, its check and its undo all work from this one table.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/registry.h"

namespace tarnwick {

// The two list forms the table extends: a security package list (REG_MULTI_SZ, read with its
// final NUL removed, so each element is followed by its own NUL) and a provider list (one
// REG_SZ text of names separated by commas). Names compare whole and without regard to case.
bool PackageListContains(std::u16string_view packages, std::u16string_view name);

// The list with `name` as its new last element, each element followed by one NUL. The
// existing elements stay as they are, whatever form the list was stored in; empty elements,
// which would end the list early for Windows, are not kept.
std::u16string PackageListWith(std::u16string_view packages, std::u16string_view name);

bool ProviderListContains(std::u16string_view providers, std::u16string_view name);

// The list with ", " and `name` appended, or `name` alone when the list holds no name.
std::u16string ProviderListWith(std::u16string_view providers, std::u16string_view name);

// The text with every NUL shown as one blank, for the log.
std::u16string WithNulsAsBlanks(std::u16string_view text);

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
  int step;                       // its number in the log's closing line
  const BuiltInPackage* builtIn;  // null when Windows has no such package
};

// "Security Packages" with tspkg, then "SecurityProviders" with credssp.dll, in that order.
std::span<const Stage> UpdateStages();

// The key path, "\" and the value name, as the log names a value.
std::u16string Where(std::u16string_view keyPath, std::u16string_view valueName);

}  // namespace tarnwick
