#include "app/win32/dpi.h"

namespace tarnwick::win32 {
namespace {

template <typename Function>
Function User32Function(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (user32 == nullptr)
    return nullptr;
  // Through void(*)() so that the compiler accepts the change of signature.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(user32, name)));
}

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  if (screen == nullptr)
    return kDefaultDpi;
  int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kDefaultDpi;
}

// DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, which older headers lack.
const HANDLE kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));

}  // namespace

int WindowDpi(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
  if (getDpiForWindow != nullptr && window != nullptr) {
    UINT dpi = getDpiForWindow(window);
    if (dpi > 0)
      return static_cast<int>(dpi);
  }
  return ScreenDpi();
}

int SystemDpi() {
  using GetDpiForSystemFn = UINT(WINAPI*)();
  static const auto getDpiForSystem = User32Function<GetDpiForSystemFn>("GetDpiForSystem");
  if (getDpiForSystem != nullptr) {
    UINT dpi = getDpiForSystem();
    if (dpi > 0)
      return static_cast<int>(dpi);
  }
  return ScreenDpi();
}

void EnableDpiAwareness() {
  using SetContextFn = BOOL(WINAPI*)(HANDLE);
  using SetAwareFn = BOOL(WINAPI*)();
  if (auto setContext = User32Function<SetContextFn>("SetProcessDpiAwarenessContext")) {
    if (setContext(kPerMonitorAwareV2))
      return;
  }
  if (auto setAware = User32Function<SetAwareFn>("SetProcessDPIAware"))
    setAware();
}

}  // namespace tarnwick::win32
