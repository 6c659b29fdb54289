// The resolution a window is drawn at. The functions that follow the resolution per monitor
// are newer than Windows XP and are looked up at run time; without them every window has the
// system resolution of the screen's device context.
#pragma once

#include <windows.h>

namespace tarnwick::win32 {

inline constexpr int kDefaultDpi = 96;
// Sent when the window moves to a monitor of another resolution (Windows 8.1 and later).
inline constexpr UINT kWmDpiChanged = 0x02E0;

// The resolution functions that this Windows offers; null where it lacks one (all of them on
// Windows XP).
struct DpiFunctions {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  using GetDpiForSystemFn = UINT(WINAPI*)();
  using SetProcessDpiAwarenessContextFn = BOOL(WINAPI*)(HANDLE);
  using SetProcessDPIAwareFn = BOOL(WINAPI*)();

  GetDpiForWindowFn getDpiForWindow = nullptr;           // Windows 10 1607
  GetDpiForSystemFn getDpiForSystem = nullptr;           // Windows 10 1607
  SetProcessDpiAwarenessContextFn setContext = nullptr;  // Windows 10 1703
  SetProcessDPIAwareFn setProcessDpiAware = nullptr;     // Windows Vista

  // Looked up in user32.
  static DpiFunctions OfThisWindows();
};

// The window's resolution in dots per inch.
int WindowDpi(HWND window, const DpiFunctions& functions = DpiFunctions::OfThisWindows());
// The resolution the system metrics and the message font were made for.
int SystemDpi(const DpiFunctions& functions = DpiFunctions::OfThisWindows());
// Asks for the resolution of each monitor where Windows offers it, else the system's.
// Does nothing when the program's manifest has already decided.
void EnableDpiAwareness(const DpiFunctions& functions = DpiFunctions::OfThisWindows());

}  // namespace tarnwick::win32
