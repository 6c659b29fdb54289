// Reading and writing single registry values over RegistryOps. Every routine opens its own key
// and closes it before it returns, on every path.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry_ops.h"
#include "platform/system_error.h"

namespace tarnwick {

// How a routine went: code 0 when it did what was asked; otherwise the code, with Windows' text,
// of the step that failed, and whether that step was opening (or making) the key.
struct RegResult {
  SystemError error;
  bool atKey = false;

  bool ok() const { return error.ok(); }
  // The key (atKey) or the value does not exist.
  bool Missing() const { return error == kErrorFileNotFound || error == kErrorPathNotFound; }
};

struct RegRead : RegResult {
  std::u16string text;           // the value text, when read
  RegType type = kRegNone;       // the type the store reported, when it reported one
  std::vector<std::byte> bytes;  // the value's bytes exactly as stored, when the store gave them
};

// Reads one value. Text crosses as UTF-16; REG_BINARY and REG_DWORD data as one character per
// byte. A REG_SZ text ends at its first NUL; of the other types exactly one trailing NUL
// character is removed. A REG_DWORD reads as "&h" followed by its bytes in hexadecimal, most
// significant first. A value of any other type fails with kErrorUnsupportedType, its type and
// bytes given (platform_messages.h). On return `KeyDateType` holds the type the store reported
// (left unchanged when the read failed before the store reported one).
RegRead GetKeyDataValue(RegistryOps& ops, RegKey RegKeyRoot, std::u16string_view RegKeyName,
                        RegType& KeyDateType, std::u16string_view KeyValueName);

// Writes one value, creating the key when it cannot be opened. REG_SZ and REG_MULTI_SZ get one
// NUL appended (for REG_MULTI_SZ the text must already end with the NUL of its last element);
// REG_BINARY stores one byte per character; REG_DWORD stores the text's 32-bit integer
// (decimal, or hexadecimal after "&h"). Any other type fails with kErrorUnsupportedType, a text
// its type cannot hold with kErrorInvalidData, and neither stores anything.
RegResult SetKeyDataValue(RegistryOps& ops, RegKey RegKeyRoot, std::u16string_view RegKeyName,
                          RegType KeyDateType, std::u16string_view KeyValueName,
                          std::u16string_view KeyDataValue);

// Writes one value's bytes exactly as given, with the given type, creating the key when it
// cannot be opened.
RegResult SetKeyDataBytes(RegistryOps& ops, RegKey RegKeyRoot, std::u16string_view RegKeyName,
                          RegType KeyDateType, std::u16string_view KeyValueName,
                          std::span<const std::byte> bytes);

// Sets the value `name` of the open `key` to exactly `bytes`. Windows stores one more character
// of a string whose bytes end without a terminator when the character after them in memory is
// NUL; a guard there keeps the bytes as given.
SystemError SetValueExactly(RegistryOps& ops, RegKey key, std::u16string_view name, RegType type,
                            std::span<const std::byte> bytes);

// The text that GetKeyDataValue reads from a value of `type` stored as `bytes` (empty for a type
// it does not read).
std::u16string ValueText(RegType type, std::span<const std::byte> bytes);

// The bytes that SetKeyDataValue stores for `text` as `type`; nothing when it stores nothing.
std::optional<std::vector<std::byte>> ValueBytes(RegType type, std::u16string_view text);

// Makes what was written to one key durable: returns once it is on disk; the status of the
// open, or of the flush (code 0 when flushed).
SystemError FlushRegKey(RegistryOps& ops, RegKey RegKeyRoot, std::u16string_view RegKeyName);

}  // namespace tarnwick
