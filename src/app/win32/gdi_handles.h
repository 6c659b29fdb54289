// Owning wrappers for the GDI objects the window makes: a font, a window's device context
// and an object selected into one.
#pragma once

#include <windows.h>

#include "platform/win32/unique_handle.h"

namespace tarnwick::win32 {

inline bool DestroyFont(HFONT font) {
  return ::DeleteObject(font) != FALSE;
}

using UniqueFont = UniqueAny<HFONT, DestroyFont>;

// The device context of a window (the screen when the window is null), released on exit.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() {
    if (dc_ != nullptr)
      ReleaseDC(window_, dc_);
  }

  HDC Get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// Selects an object into a device context and puts the previous one back on exit.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;
  ~SelectedObject() {
    if (previous_ != nullptr && previous_ != HGDI_ERROR)
      SelectObject(dc_, previous_);
  }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace tarnwick::win32
