// Owners of the GDI objects the window makes: a font, the screen's device context and an
// object selected into one.
#pragma once

#include <windows.h>

#include "platform/win32/unique_handle.h"

namespace tarnwick::win32 {

inline bool DestroyFont(HFONT font) {
  return ::DeleteObject(font) != FALSE;
}
inline bool ReleaseScreenDc(HDC dc) {
  return ::ReleaseDC(nullptr, dc) == 1;
}

using UniqueFont = UniqueAny<HFONT, DestroyFont>;
// The screen's device context, from GetDC(nullptr).
using ScreenDc = UniqueAny<HDC, ReleaseScreenDc>;

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
