// Windows' code for a failure and Windows' own text for it: the one vocabulary in which every
// platform operation says how it went. The Win32 layer reads the text where the failure happens
// and passes it up with the code, so that the lines the user reads give both although the
// portable code never sees a Windows header.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace tarnwick {

// The codes that the program names itself, as winerror.h numbers them.
inline constexpr std::uint32_t kErrorSuccess = 0;
inline constexpr std::uint32_t kErrorFileNotFound = 2;
inline constexpr std::uint32_t kErrorPathNotFound = 3;
inline constexpr std::uint32_t kErrorAccessDenied = 5;
inline constexpr std::uint32_t kErrorInvalidHandle = 6;
inline constexpr std::uint32_t kErrorInvalidData = 13;
inline constexpr std::uint32_t kErrorWriteProtect = 19;
inline constexpr std::uint32_t kErrorSharingViolation = 32;
inline constexpr std::uint32_t kErrorLockViolation = 33;
inline constexpr std::uint32_t kErrorHandleDiskFull = 39;
inline constexpr std::uint32_t kErrorFileExists = 80;
inline constexpr std::uint32_t kErrorInvalidParameter = 87;
inline constexpr std::uint32_t kErrorDiskFull = 112;
inline constexpr std::uint32_t kErrorInvalidName = 123;
inline constexpr std::uint32_t kErrorBadPathname = 161;
inline constexpr std::uint32_t kErrorAlreadyExists = 183;
inline constexpr std::uint32_t kErrorMoreData = 234;
inline constexpr std::uint32_t kErrorDirectory = 267;
inline constexpr std::uint32_t kErrorOplockBreakInProgress = 742;
inline constexpr std::uint32_t kErrorUnsupportedType = 1630;

struct SystemError {
  std::uint32_t code = kErrorSuccess;
  std::u16string text;  // one line, as Windows words it; empty where none was read

  SystemError() = default;
  // A code alone, as the test doubles give it.
  SystemError(std::uint32_t c, std::u16string t = {}) : code(c), text(std::move(t)) {}

  bool ok() const { return code == kErrorSuccess; }
  friend bool operator==(const SystemError& error, std::uint32_t code) {
    return error.code == code;
  }
};

// "error 5: Access is denied", "error 0x80070002: The system cannot find the file specified", or
// "error 87" where there is no text: the one way every failure line gives Windows' code. A code
// with its top bit set is an HRESULT, shown in hexadecimal as Windows' documentation lists them.
std::u16string ErrorText(const SystemError& error);

}  // namespace tarnwick
