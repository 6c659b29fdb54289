// The registry as the platform offers it: eight operations, each answering with Windows' own
// code and text (code 0 when it worked), with key handles, type codes and raw bytes. The Windows
// build implements them over advapi32; tests implement them in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/system_error.h"

namespace tarnwick {

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
  virtual SystemError OpenKey(RegKey root, std::u16string_view path, std::uint32_t options,
                              std::uint32_t access, RegKey& key) = 0;
  // Opens the key, creating it (and missing parents) when it does not exist.
  virtual SystemError CreateKey(RegKey root, std::u16string_view path, RegKey& key) = 0;
  // `size` holds the capacity of `data` in bytes on entry (data may be null with size 0).
  // On success `type` and `size` describe the value and its bytes are in `data`; when the
  // buffer is too small the code is kErrorMoreData and `size` holds the size needed.
  virtual SystemError QueryValue(RegKey key, std::u16string_view name, RegType& type,
                                 std::byte* data, std::uint32_t& size) = 0;
  virtual SystemError SetValue(RegKey key, std::u16string_view name, RegType type,
                               const std::byte* data, std::uint32_t size) = 0;
  virtual SystemError DeleteValue(RegKey key, std::u16string_view name) = 0;
  virtual SystemError DeleteKey(RegKey root, std::u16string_view path) = 0;
  virtual SystemError CloseKey(RegKey key) = 0;
  // Returns once what was written to the key is on disk.
  virtual SystemError FlushKey(RegKey key) = 0;
};

}  // namespace tarnwick
