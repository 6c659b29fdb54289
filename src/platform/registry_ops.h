// The registry as the platform offers it: eight operations with Windows' own status codes,
// key handles, type codes and raw bytes. The Windows build implements them over advapi32;
// tests implement them in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarnwick {

// A registry status exactly as Windows reports it (a Win32 error code).
using RegStatus = std::int32_t;
inline constexpr RegStatus kErrorSuccess = 0;
inline constexpr RegStatus kErrorFileNotFound = 2;
inline constexpr RegStatus kErrorPathNotFound = 3;
inline constexpr RegStatus kErrorAccessDenied = 5;
inline constexpr RegStatus kErrorInvalidHandle = 6;
inline constexpr RegStatus kErrorMoreData = 234;

// A key handle: a predefined root or a key opened by OpenKey or CreateKey. Predefined roots
// carry Windows' values, sign-extended as Windows does on 64-bit systems.
using RegKey = std::intptr_t;
inline constexpr RegKey kNoKey = 0;
inline constexpr RegKey kHkeyCurrentUser =
    static_cast<RegKey>(static_cast<std::int32_t>(0x80000001));
inline constexpr RegKey kHkeyLocalMachine =
    static_cast<RegKey>(static_cast<std::int32_t>(0x80000002));

// Registry data-type codes.
using RegType = std::uint32_t;
inline constexpr RegType kRegNone = 0;
inline constexpr RegType kRegSz = 1;
inline constexpr RegType kRegExpandSz = 2;
inline constexpr RegType kRegBinary = 3;
inline constexpr RegType kRegDword = 4;
inline constexpr RegType kRegMultiSz = 7;

// Read-control and the six key-specific rights: query, set, create sub-key, enumerate,
// notify, create link.
inline constexpr std::uint32_t kKeyAccessMask = 0x0002003F;

class RegistryOps {
 public:
  virtual ~RegistryOps() = default;

  // On success sets `key`; on failure leaves it untouched.
  virtual RegStatus OpenKey(RegKey root, std::u16string_view path, std::uint32_t options,
                            std::uint32_t access, RegKey& key) = 0;
  // Opens the key, creating it (and missing parents) when it does not exist.
  virtual RegStatus CreateKey(RegKey root, std::u16string_view path, RegKey& key) = 0;
  // `size` holds the capacity of `data` in bytes on entry (data may be null with size 0).
  // On success `type` and `size` describe the value and its bytes are in `data`; when the
  // buffer is too small the status is kErrorMoreData and `size` holds the size needed.
  virtual RegStatus QueryValue(RegKey key, std::u16string_view name, RegType& type, std::byte* data,
                               std::uint32_t& size) = 0;
  virtual RegStatus SetValue(RegKey key, std::u16string_view name, RegType type,
                             const std::byte* data, std::uint32_t size) = 0;
  virtual RegStatus DeleteValue(RegKey key, std::u16string_view name) = 0;
  virtual RegStatus DeleteKey(RegKey root, std::u16string_view path) = 0;
  virtual RegStatus CloseKey(RegKey key) = 0;
  // Returns once what was written to the key is on disk.
  virtual RegStatus FlushKey(RegKey key) = 0;
  // Windows' own text for a status these operations returned; empty where there is none.
  virtual std::u16string StatusText(RegStatus) { return {}; }
};

}  // namespace tarnwick
