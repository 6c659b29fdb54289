// RegistryOps over advapi32's wide-character registry functions.
#pragma once

#include "platform/registry_ops.h"

namespace tarnwick::win32 {

class Win32Registry final : public RegistryOps {
 public:
  RegStatus OpenKey(RegKey root, std::u16string_view path, std::uint32_t options,
                    std::uint32_t access, RegKey& key) override;
  RegStatus CreateKey(RegKey root, std::u16string_view path, RegKey& key) override;
  RegStatus QueryValue(RegKey key, std::u16string_view name, RegType& type, std::byte* data,
                       std::uint32_t& size) override;
  RegStatus SetValue(RegKey key, std::u16string_view name, RegType type, const std::byte* data,
                     std::uint32_t size) override;
  RegStatus DeleteValue(RegKey key, std::u16string_view name) override;
  RegStatus DeleteKey(RegKey root, std::u16string_view path) override;
  RegStatus CloseKey(RegKey key) override;
  RegStatus FlushKey(RegKey key) override;
  std::u16string StatusText(RegStatus status) override;
};

}  // namespace tarnwick::win32
