// Windows failures as run-time errors: the error code and the system's text for it.
#pragma once

#include <windows.h>

#include "app/run_time_error.h"

namespace tarnwick::win32 {

RunTimeError Win32Error(DWORD code);
// The calling thread's last error; a failure that set none counts as a general failure.
RunTimeError LastWin32Error();

}  // namespace tarnwick::win32
