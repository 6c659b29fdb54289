// Remembers one value below HKEY_LOCAL_MACHINE (or its absence) and puts it back when it goes
// out of scope, for tests that seed the machine's own values; with helpers to read and write a
// value through the registry operations alone.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "memory_registry.h"
#include "platform/registry.h"

namespace tarnwick::testing {

class ValueBackup {
 public:
  ValueBackup(RegistryOps& ops, std::u16string_view path, std::u16string_view name)
      : ops_(ops), path_(path), name_(name), saved_(Read(ops, path, name)) {}
  ~ValueBackup() {
    if (saved_) {
      Write(ops_, path_, name_, saved_->type, saved_->bytes);
    } else {
      RegKey key = kNoKey;
      if (ops_.OpenKey(kHkeyLocalMachine, path_, 0, kKeyAccessMask, key) == kErrorSuccess) {
        ops_.DeleteValue(key, name_);
        ops_.CloseKey(key);
      }
    }
  }

  static std::optional<StoredValue> Read(RegistryOps& ops, std::u16string_view path,
                                         std::u16string_view name) {
    RegKey key = kNoKey;
    if (ops.OpenKey(kHkeyLocalMachine, path, 0, kKeyAccessMask, key) != kErrorSuccess) {
      return std::nullopt;
    }
    StoredValue value;
    // Exactly the stored size: with room to spare, Wine adds a terminator to a string stored
    // without one and counts it.
    std::uint32_t size = 0;
    SystemError status = ops.QueryValue(key, name, value.type, nullptr, size);
    if (status == kErrorSuccess) {
      value.bytes.resize(size);
      status = ops.QueryValue(key, name, value.type, value.bytes.data(), size);
    }
    ops.CloseKey(key);
    if (status != kErrorSuccess)
      return std::nullopt;
    value.bytes.resize(size);
    return value;
  }

  static void Write(RegistryOps& ops, std::u16string_view path, std::u16string_view name,
                    RegType type, const std::vector<std::byte>& bytes) {
    RegKey key = kNoKey;
    ASSERT_EQ(ops.CreateKey(kHkeyLocalMachine, path, key), kErrorSuccess);
    EXPECT_EQ(SetValueExactly(ops, key, name, type, bytes), kErrorSuccess);
    ops.CloseKey(key);
  }

 private:
  RegistryOps& ops_;
  std::u16string path_;
  std::u16string name_;
  std::optional<StoredValue> saved_;
};

}  // namespace tarnwick::testing
