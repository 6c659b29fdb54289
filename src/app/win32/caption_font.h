// The font of the main window's controls: the face of the system's message font, at the
// largest size up to the message font's own at which every caption fits its control.
#pragma once

#include <windows.h>

#include <span>
#include <string_view>

#include "app/form1_layout.h"
#include "app/win32/dpi.h"
#include "app/win32/gdi_handles.h"

namespace tarnwick::win32 {

// The system's message font and the resolution its height is given for.
struct BaseFont {
  LOGFONTW font;
  int dpi;
};
BaseFont MessageFont(const RunTimeFunctions& dpiFunctions = RunTimeFunctions::OfThisWindows());

// A caption and the control that shows it, in pixels at the resolution being fitted.
struct CaptionBox {
  std::u16string_view text;
  ControlKind kind;
  int width;
  int height;
};

// Whether the caption fits with the font selected into `dc`: a label's text wrapped at word
// boundaries within its width, a button's on one line inside its frame.
bool CaptionFits(HDC dc, const CaptionBox& box, int dpi);

struct FittedFont {
  UniqueFont font;
  int pixelHeight = 0;  // the character height (em size) in pixels
};

// Tries the base font scaled to `dpi`, then one pixel smaller at a time, and keeps the first
// size at which every caption fits (the smallest tried when none does). The font is empty
// only when Windows could make none at all.
FittedFont FitCaptionFont(const BaseFont& base, int dpi, std::span<const CaptionBox> captions);

}  // namespace tarnwick::win32
