// Reading, writing and deleting single registry values and keys over RegistryOps.
// Every routine opens its own key and closes it before it returns, on every path.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry_ops.h"
#include "platform/system_error.h"

namespace tarnwick {

enum class ReadOutcome {
  kRead,             // the value was read; `text` holds it
  kKeyMissing,       // the key does not exist
  kValueMissing,     // the key exists, the value does not
  kAccessDenied,     // the key or value may not be opened with the rights asked for
  kUnsupportedType,  // the value exists but its type is not REG_SZ, REG_BINARY, REG_DWORD
                     // or REG_MULTI_SZ; `type` holds it
  kFailed,           // any other status; `status` holds it
};

struct RegRead {
  ReadOutcome outcome = ReadOutcome::kFailed;
  std::u16string text;           // the value text, when read
  SystemError status;            // the platform status of the call that failed
  RegType type = kRegNone;       // the type the store reported, when it reported one
  std::vector<std::byte> bytes;  // the value's bytes exactly as stored, when read

  bool ok() const { return outcome == ReadOutcome::kRead; }
};

enum class WriteOutcome {
  kStored,           // the store took the value
  kOpenFailed,       // the key could neither be opened nor created; `status` says why
  kSetFailed,        // the key was open but the store refused the value; `status` says why
  kUnsupportedType,  // nothing stored: the type code is not one the routines write
  kInvalidValue,     // nothing stored: the text cannot be stored as the type asks
};

struct RegWrite {
  WriteOutcome outcome = WriteOutcome::kOpenFailed;
  SystemError status;

  bool ok() const { return outcome == WriteOutcome::kStored; }
};

// Reads one value. Text crosses as UTF-16; REG_BINARY and REG_DWORD data as one character per
// byte. A REG_SZ text ends at its first NUL; of the other types exactly one trailing NUL
// character is removed. A REG_DWORD reads as "&h" followed by
// its bytes in hexadecimal, most significant first. On return `KeyDateType` holds the type the
// store reported (left unchanged when the read failed before the store reported one).
RegRead GetKeyDataValue(RegistryOps& ops, RegKey RegKeyRoot, std::u16string_view RegKeyName,
                        RegType& KeyDateType, std::u16string_view KeyValueName);

// Writes one value, creating the key when it cannot be opened. REG_SZ and REG_MULTI_SZ get one
// NUL appended (for REG_MULTI_SZ the text must already end with the NUL of its last element);
// REG_BINARY stores one byte per character; REG_DWORD stores the text's 32-bit integer
// (decimal, or hexadecimal after "&h").
RegWrite SetKeyDataValue(RegistryOps& ops, RegKey RegKeyRoot, std::u16string_view RegKeyName,
                         RegType KeyDateType, std::u16string_view KeyValueName,
                         std::u16string_view KeyDataValue);

// Writes one value's bytes exactly as given, with the given type, creating the key when it
// cannot be opened.
RegWrite SetKeyDataBytes(RegistryOps& ops, RegKey RegKeyRoot, std::u16string_view RegKeyName,
                         RegType KeyDateType, std::u16string_view KeyValueName,
                         std::span<const std::byte> bytes);

// Sets the value `name` of the open `key` to exactly `bytes`. Windows stores one more character
// of a string whose bytes end without a terminator when the character after them in memory is
// NUL; a guard there keeps the bytes as given.
RegStatus SetValueExactly(RegistryOps& ops, RegKey key, std::u16string_view name, RegType type,
                          std::span<const std::byte> bytes);

// The text that GetKeyDataValue reads from a value of `type` stored as `bytes` (empty for a type
// it does not read).
std::u16string ValueText(RegType type, std::span<const std::byte> bytes);

// The bytes that SetKeyDataValue stores for `text` as `type`; nothing when it stores nothing.
std::optional<std::vector<std::byte>> ValueBytes(RegType type, std::u16string_view text);

// Makes what was written to one key durable: returns once it is on disk; the status of the
// open, or of the flush (code 0 when flushed).
SystemError FlushRegKey(RegistryOps& ops, RegKey RegKeyRoot, std::u16string_view RegKeyName);

// Deletes one value; returns the status of the open, or of the delete.
RegStatus DeleteRegValue(RegistryOps& ops, RegKey RegKeyRoot, std::u16string_view RegKeyName,
                         std::u16string_view KeyValueName);

// Deletes one key (which must have no sub-keys).
RegStatus DeleteRegKey(RegistryOps& ops, RegKey RegKeyRoot, std::u16string_view RegKeyName);

}  // namespace tarnwick
