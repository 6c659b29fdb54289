// An in-memory registry with the semantics of the Windows registry functions, for tests.
// Keys and value names compare without regard to (ASCII) case; status codes are Windows'.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/registry_ops.h"

namespace tarnwick::testing {

struct StoredValue {
  RegType type = kRegNone;
  std::vector<std::byte> bytes;
};

class MemoryRegistry final : public RegistryOps {
 public:
  MemoryRegistry();

  SystemError OpenKey(RegKey root, std::u16string_view path, std::uint32_t options,
                      std::uint32_t access, RegKey& key) override;
  SystemError CreateKey(RegKey root, std::u16string_view path, RegKey& key) override;
  SystemError QueryValue(RegKey key, std::u16string_view name, RegType& type, std::byte* data,
                         std::uint32_t& size) override;
  SystemError SetValue(RegKey key, std::u16string_view name, RegType type, const std::byte* data,
                       std::uint32_t size) override;
  SystemError DeleteValue(RegKey key, std::u16string_view name) override;
  SystemError DeleteKey(RegKey root, std::u16string_view path) override;
  SystemError CloseKey(RegKey key) override;
  SystemError FlushKey(RegKey key) override;

  // Test controls and inspection, addressing keys by root and path.
  void Seed(RegKey root, std::u16string_view path, std::u16string_view name, RegType type,
            std::vector<std::byte> bytes);
  std::optional<StoredValue> Find(RegKey root, std::u16string_view path,
                                  std::u16string_view name) const;
  bool KeyExists(RegKey root, std::u16string_view path) const;
  // Opening or creating this key asking for more than read access is refused.
  void DenyWrite(RegKey root, std::u16string_view path);
  // Setting any value in this key fails with `status`.
  void FailSetValue(RegKey root, std::u16string_view path, SystemError status);
  // Flushing this key fails with `status`.
  void FailFlush(RegKey root, std::u16string_view path, SystemError status);
  // The keys flushed so far, as lower-case full paths ("hklm\system\..."), in order.
  const std::vector<std::u16string>& Flushed() const { return flushed_; }

  int OpenHandles() const { return static_cast<int>(handles_.size()); }
  int SetValueCalls() const { return setValueCalls_; }

 private:
  struct Key {
    std::map<std::u16string, std::pair<std::u16string, StoredValue>> values;  // folded name
  };

  std::optional<std::u16string> Resolve(RegKey root, std::u16string_view path) const;
  RegKey NewHandle(const std::u16string& path);

  std::map<std::u16string, Key> keys_;  // folded full path
  std::map<RegKey, std::u16string> handles_;
  std::set<std::u16string> writeDenied_;
  std::map<std::u16string, SystemError> setFailures_;
  std::map<std::u16string, SystemError> flushFailures_;
  std::vector<std::u16string> flushed_;
  RegKey nextHandle_ = 0x1000;
  int setValueCalls_ = 0;
};

// Byte images of registry data as Windows stores it (UTF-16LE text).
std::vector<std::byte> SzBytes(std::u16string_view text);  // text and its NUL
std::vector<std::byte> MultiSzBytes(std::initializer_list<std::u16string_view> elements);
std::vector<std::byte> Utf16Bytes(std::u16string_view text);  // exactly the characters
std::vector<std::byte> RawBytes(std::initializer_list<unsigned> bytes);

}  // namespace tarnwick::testing
