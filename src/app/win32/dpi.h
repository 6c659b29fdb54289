// The resolution a window is drawn at. The functions that follow the resolution per monitor
// are newer than Windows XP and are looked up at run time; without them every window has the
// system resolution of the screen's device context.
#pragma once

#include <windows.h>

#include "platform/win32/run_time_functions.h"

namespace tarnwick::win32 {

inline constexpr int kDefaultDpi = 96;
// Sent when the window moves to a monitor of another resolution (Windows 8.1 and later).
inline constexpr UINT kWmDpiChanged = 0x02E0;

// The window's resolution in dots per inch.
int WindowDpi(HWND window, const RunTimeFunctions& functions);
// The resolution the system metrics and the message font were made for.
int SystemDpi(const RunTimeFunctions& functions);
// Asks for the resolution of each monitor where Windows offers it, else the system's.
// Does nothing when the program's manifest has already decided.
void EnableDpiAwareness(const RunTimeFunctions& functions);

}  // namespace tarnwick::win32
