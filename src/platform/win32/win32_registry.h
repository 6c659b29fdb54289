// RegistryOps over advapi32's wide-character registry functions.
#pragma once

#include "platform/registry_ops.h"

namespace tarnwick::win32 {

class Win32Registry final : public RegistryOps {
 public:
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
};

}  // namespace tarnwick::win32
