#include "app/win32/win32_error.h"

#include "platform/win32/windows_error.h"

namespace tarnwick::win32 {

RunTimeError Win32Error(DWORD code) {
  SystemError error = WindowsError(code);
  if (error.text.empty())
    error.text = u"System " + ErrorText(error);
  return RunTimeError(static_cast<std::int32_t>(code), std::move(error.text));
}

RunTimeError LastWin32Error() {
  DWORD code = GetLastError();
  return Win32Error(code != ERROR_SUCCESS ? code : ERROR_GEN_FAILURE);
}

}  // namespace tarnwick::win32
