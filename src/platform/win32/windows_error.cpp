#include "platform/win32/windows_error.h"

#include "platform/win32/unique_handle.h"

namespace tarnwick::win32 {

SystemError WindowsError(DWORD code) {
  if (code == ERROR_SUCCESS)
    return {};
  const DWORD lookedUp = (code & 0xFFFF0000u) == 0x80070000u ? (code & 0xFFFFu) : code;
  UniqueLocal buffer;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, lookedUp, 0, reinterpret_cast<wchar_t*>(buffer.put()), 0, nullptr);
  std::u16string text(static_cast<const char16_t*>(buffer.get()), buffer ? length : 0);
  // One line: the text's own line breaks become blanks, and those at its end go.
  for (char16_t& c : text) {
    if (c == u'\r' || c == u'\n')
      c = u' ';
  }
  while (!text.empty() && text.back() == u' ')
    text.pop_back();
  return {code, std::move(text)};
}

SystemError LastWindowsError() {
  const DWORD code = ::GetLastError();
  return WindowsError(code != ERROR_SUCCESS ? code : ERROR_GEN_FAILURE);
}

}  // namespace tarnwick::win32
