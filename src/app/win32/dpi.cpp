#include "app/win32/dpi.h"

#include "app/win32/gdi_handles.h"

namespace tarnwick::win32 {
namespace {

// The resolution that `dpi` reports where it reports one, else the screen's.
int DpiOrScreen(UINT dpi) {
  if (dpi > 0)
    return static_cast<int>(dpi);
  const ScreenDc screen(GetDC(nullptr));
  const int screenDpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
  return screenDpi > 0 ? screenDpi : kDefaultDpi;
}

// DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, which older headers lack.
const HANDLE kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));

}  // namespace

int WindowDpi(HWND window, const RunTimeFunctions& functions) {
  const bool asked = functions.GetDpiForWindow != nullptr && window != nullptr;
  return DpiOrScreen(asked ? functions.GetDpiForWindow(window) : 0);
}

int SystemDpi(const RunTimeFunctions& functions) {
  return DpiOrScreen(functions.GetDpiForSystem != nullptr ? functions.GetDpiForSystem() : 0);
}

void EnableDpiAwareness(const RunTimeFunctions& functions) {
  if (functions.SetProcessDpiAwarenessContext != nullptr &&
      functions.SetProcessDpiAwarenessContext(kPerMonitorAwareV2))
    return;
  if (functions.SetProcessDPIAware != nullptr)
    functions.SetProcessDPIAware();
}

}  // namespace tarnwick::win32
