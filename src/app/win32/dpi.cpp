#include "app/win32/dpi.h"

#include "app/win32/gdi_handles.h"
#include "platform/win32/exported_function.h"

namespace tarnwick::win32 {
namespace {

template <typename Function>
Function User32Function(const char* name) {
  return LoadedFunction<Function>(L"user32.dll", name);
}

int ScreenDpi() {
  const ScreenDc screen(GetDC(nullptr));
  if (!screen)
    return kDefaultDpi;
  const int dpi = GetDeviceCaps(screen.get(), LOGPIXELSX);
  return dpi > 0 ? dpi : kDefaultDpi;
}

// DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, which older headers lack.
const HANDLE kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));

}  // namespace

DpiFunctions DpiFunctions::OfThisWindows() {
  return {
      User32Function<GetDpiForWindowFn>("GetDpiForWindow"),
      User32Function<GetDpiForSystemFn>("GetDpiForSystem"),
      User32Function<SetProcessDpiAwarenessContextFn>("SetProcessDpiAwarenessContext"),
      User32Function<SetProcessDPIAwareFn>("SetProcessDPIAware"),
  };
}

int WindowDpi(HWND window, const DpiFunctions& functions) {
  if (functions.getDpiForWindow != nullptr && window != nullptr) {
    UINT dpi = functions.getDpiForWindow(window);
    if (dpi > 0)
      return static_cast<int>(dpi);
  }
  return ScreenDpi();
}

int SystemDpi(const DpiFunctions& functions) {
  if (functions.getDpiForSystem != nullptr) {
    UINT dpi = functions.getDpiForSystem();
    if (dpi > 0)
      return static_cast<int>(dpi);
  }
  return ScreenDpi();
}

void EnableDpiAwareness(const DpiFunctions& functions) {
  if (functions.setContext != nullptr && functions.setContext(kPerMonitorAwareV2))
    return;
  if (functions.setProcessDpiAware != nullptr)
    functions.setProcessDpiAware();
}

}  // namespace tarnwick::win32
