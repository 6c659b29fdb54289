// What any window with Tarnwick's controls pays to start: the same frame, the same controls
// (kinds, count, window classes and styles, captions and places from the layout table) in the
// system's message font, shown. Built with Tarnwick's manifest, so that it loads the same
// common controls and runs with the same DPI awareness; and like any program that asks for
// common controls 6, it registers their standard classes before its first window ("Enabling
// Visual Styles": link to ComCtl32 and call InitCommonControls). It sets no DLL search order,
// reads no version, fits no font and loads no icon: whatever Tarnwick takes beyond this is its
// own.
#include <windows.h>

#include <commctrl.h>

#include "app/form1_layout.h"
#include "app/win32/control_classes.h"
#include "phase_stamp.h"

namespace {

using tarnwick::ControlKind;

using tarnwick::bench::Stamp;

using tarnwick::win32::ClassFor;
using tarnwick::win32::ControlClass;
using tarnwick::win32::kFrameExStyle;
using tarnwick::win32::kFrameStyle;

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// The message font, as the system reports it, for the window's life.
class MessageFont {
 public:
  MessageFont() : font_(Create()) {}
  MessageFont(const MessageFont&) = delete;
  MessageFont& operator=(const MessageFont&) = delete;
  ~MessageFont() {
    if (font_ != nullptr)
      DeleteObject(font_);
  }
  HFONT Get() const { return font_; }

 private:
  static HFONT Create();
  HFONT font_;
};

HFONT MessageFont::Create() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
    return nullptr;
  return CreateFontIndirectW(&metrics.lfMessageFont);
}

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
  if (screen != nullptr)
    ReleaseDC(nullptr, screen);
  return dpi;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  Stamp("main");
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_STANDARD_CLASSES;
  InitCommonControlsEx(&controls);
  Stamp("controls");
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = Procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = L"YardstickWindow";
  RegisterClassW(&windowClass);

  const int dpi = ScreenDpi();
  const tarnwick::PixelRect client = tarnwick::ClientPixels(dpi);
  RECT frame{0, 0, client.width(), client.height()};
  AdjustWindowRectEx(&frame, kFrameStyle, FALSE, kFrameExStyle);
  HWND window = CreateWindowExW(kFrameExStyle, L"YardstickWindow", L"Tarnwick Yardstick",
                                kFrameStyle, CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                                frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
  Stamp("window");
  const MessageFont font;
  int id = 100;
  for (const tarnwick::ControlEntry* entry : tarnwick::CreationOrder()) {
    const ControlClass kind = ClassFor(entry->kind);
    const tarnwick::PixelRect rect = tarnwick::ControlPixels(*entry, dpi);
    HWND control = CreateWindowExW(
        kind.exStyle, kind.className, reinterpret_cast<const wchar_t*>(entry->caption.data()),
        kind.style | WS_VISIBLE, rect.left, rect.top, rect.width(), rect.height(), window,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id++)), instance, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
  }
  Stamp("laid-out");
  {
    const tarnwick::bench::ShowingStamp showing;
    ShowWindow(window, show);
  }
  Stamp("shown");
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(window, &message))
      continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
