// The text of a registry editor file (.reg) that puts values back exactly as they were
// stored: every value as hex(N): bytes, whatever its type and form.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry_ops.h"

namespace tarnwick {

struct RegFileValue {
  std::u16string keyPath;  // below HKEY_LOCAL_MACHINE
  std::u16string valueName;
  RegType type = kRegNone;
  std::vector<std::byte> bytes;
};

// "Windows Registry Editor Version 5.00", then one section per value, with CR LF line ends.
std::u16string RegFileText(std::span<const RegFileValue> values);

// The text as the file stores it: UTF-16LE after its byte-order mark.
std::vector<std::byte> RegFileBytes(std::u16string_view text);

// The values of a file exactly as RegFileBytes(RegFileText(values)) writes them, in their order;
// nothing for any other file, however small the difference.
std::optional<std::vector<RegFileValue>> ParseRegFile(std::span<const std::byte> contents);

}  // namespace tarnwick
