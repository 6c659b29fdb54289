#include "platform/win32/win32_registry.h"

#include <windows.h>

#include "platform/win32/wide_text.h"
#include "platform/win32/windows_error.h"

namespace tarnwick::win32 {
namespace {

HKEY ToHkey(RegKey key) {
  return reinterpret_cast<HKEY>(key);
}

}  // namespace

SystemError Win32Registry::OpenKey(RegKey root, std::u16string_view path, std::uint32_t options,
                                   std::uint32_t access, RegKey& key) {
  HKEY opened = nullptr;
  LSTATUS status = RegOpenKeyExW(ToHkey(root), Wide(path).c_str(), options, access, &opened);
  if (status == ERROR_SUCCESS)
    key = reinterpret_cast<RegKey>(opened);
  return WindowsError(status);
}

SystemError Win32Registry::CreateKey(RegKey root, std::u16string_view path, RegKey& key) {
  HKEY created = nullptr;
  LSTATUS status = RegCreateKeyW(ToHkey(root), Wide(path).c_str(), &created);
  if (status == ERROR_SUCCESS)
    key = reinterpret_cast<RegKey>(created);
  return WindowsError(status);
}

SystemError Win32Registry::QueryValue(RegKey key, std::u16string_view name, RegType& type,
                                      std::byte* data, std::uint32_t& size) {
  DWORD reportedType = 0;
  DWORD reportedSize = size;
  LSTATUS status = RegQueryValueExW(ToHkey(key), Wide(name).c_str(), nullptr, &reportedType,
                                    reinterpret_cast<BYTE*>(data), &reportedSize);
  if (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
    type = reportedType;
    size = reportedSize;
  }
  return WindowsError(status);
}

SystemError Win32Registry::SetValue(RegKey key, std::u16string_view name, RegType type,
                                    const std::byte* data, std::uint32_t size) {
  return WindowsError(RegSetValueExW(ToHkey(key), Wide(name).c_str(), 0, type,
                                     reinterpret_cast<const BYTE*>(data), size));
}

SystemError Win32Registry::DeleteValue(RegKey key, std::u16string_view name) {
  return WindowsError(RegDeleteValueW(ToHkey(key), Wide(name).c_str()));
}

SystemError Win32Registry::DeleteKey(RegKey root, std::u16string_view path) {
  return WindowsError(RegDeleteKeyW(ToHkey(root), Wide(path).c_str()));
}

SystemError Win32Registry::CloseKey(RegKey key) {
  return WindowsError(RegCloseKey(ToHkey(key)));
}

SystemError Win32Registry::FlushKey(RegKey key) {
  return WindowsError(RegFlushKey(ToHkey(key)));
}

}  // namespace tarnwick::win32
