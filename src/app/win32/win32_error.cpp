#include "app/win32/win32_error.h"

#include <string>

#include "platform/win32/wide_text.h"

namespace tarnwick::win32 {

RunTimeError Win32Error(DWORD code) {
  wchar_t* buffer = nullptr;
  DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring message;
  if (buffer != nullptr) {
    message.assign(buffer, length);
    LocalFree(buffer);
  }
  while (!message.empty() &&
         (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
    message.pop_back();
  if (message.empty()) {
    // Through std::to_string: std::to_wstring would bring the C library's whole formatted printing
    // into the executable for this one line.
    const std::string digits = std::to_string(code);
    message = L"System error " + std::wstring(digits.begin(), digits.end());
  }
  return RunTimeError(static_cast<std::int32_t>(code), Utf16(message));
}

RunTimeError LastWin32Error() {
  DWORD code = GetLastError();
  return Win32Error(code != ERROR_SUCCESS ? code : ERROR_GEN_FAILURE);
}

}  // namespace tarnwick::win32
