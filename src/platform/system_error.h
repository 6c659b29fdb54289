// Windows' code for a failure and Windows' own text for it. The Win32 layer reads the text where
// the failure happens and passes it up with the code, so that the lines the user reads give both
// although the portable code never sees a Windows header.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace tarnwick {

struct SystemError {
  std::uint32_t code = 0;
  std::u16string text;  // one line, as Windows words it; empty where none was read

  SystemError() = default;
  // A code alone, as the test doubles and the program's own refusals give it.
  SystemError(std::uint32_t c, std::u16string t = {}) : code(c), text(std::move(t)) {}

  friend bool operator==(const SystemError& error, std::uint32_t code) {
    return error.code == code;
  }
};

// "error 5: Access is denied", "error 0x80070002: The system cannot find the file specified", or
// "error 87" where there is no text: the one way every failure line gives Windows' code. A code
// with its top bit set is an HRESULT, shown in hexadecimal as Windows' documentation lists them.
std::u16string ErrorText(const SystemError& error);

}  // namespace tarnwick
