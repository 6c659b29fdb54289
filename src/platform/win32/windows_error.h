// Windows' failures in the portable code's terms: the code with the system's own text for it.
#pragma once

#include <windows.h>

#include "platform/system_error.h"

namespace tarnwick::win32 {

// The code with FormatMessageW's text for it; ERROR_SUCCESS is success, with no text. An
// HRESULT that carries a Win32 code (0x8007xxxx) has that code's text.
SystemError WindowsError(DWORD code);
// The calling thread's last error; a failure that set none counts as a general failure.
SystemError LastWindowsError();

}  // namespace tarnwick::win32
