#include "app/win32/caption_font.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>

#include "app/win32/dpi.h"

namespace tarnwick::win32 {
namespace {

constexpr int kSmallestPixelHeight = 6;
// Room a push button keeps between its edge and its caption, at 96 dpi.
constexpr int kButtonMarginX = 5;
constexpr int kButtonMarginY = 3;

// NONCLIENTMETRICSW as Windows XP knows it: without the padded border width of later systems.
constexpr UINT kXpNonClientMetricsSize =
#if WINVER >= 0x0600
    offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
#else
    sizeof(NONCLIENTMETRICSW);
#endif

bool QueryMessageFont(UINT size, LOGFONTW& font) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = size;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, size, &metrics, 0))
    return false;
  font = metrics.lfMessageFont;
  return true;
}

int CharacterHeight(const LOGFONTW& font, int dpi) {
  // A positive height is a cell height; as a character height it is near enough.
  int height = std::abs(font.lfHeight);
  return height != 0 ? height : MulDiv(8, dpi, 72);
}

}  // namespace

BaseFont MessageFont(const RunTimeFunctions& dpiFunctions) {
  BaseFont base{};
  base.dpi = SystemDpi(dpiFunctions);
  // Windows XP refuses the larger structure of later systems; later systems take both.
  if (QueryMessageFont(sizeof(NONCLIENTMETRICSW), base.font) ||
      QueryMessageFont(kXpNonClientMetricsSize, base.font))
    return base;
  // The dialog font stands in when the system will not say.
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(base.font), &base.font);
  return base;
}

bool CaptionFits(HDC dc, const CaptionBox& box, int dpi) {
  const auto length = static_cast<int>(box.text.size());
  const auto* text = reinterpret_cast<const wchar_t*>(box.text.data());
  RECT needed{};
  if (box.kind == ControlKind::kButton) {
    const int width = box.width - 2 * MulDiv(kButtonMarginX, dpi, kDefaultDpi);
    const int height = box.height - 2 * MulDiv(kButtonMarginY, dpi, kDefaultDpi);
    DrawTextW(dc, text, length, &needed, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    return needed.right <= width && needed.bottom <= height;
  }
  needed.right = box.width;
  DrawTextW(dc, text, length, &needed,
            DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX | DT_LEFT);
  return needed.right <= box.width && needed.bottom <= box.height;
}

FittedFont FitCaptionFont(const BaseFont& base, int dpi, std::span<const CaptionBox> captions) {
  WindowDc screen(nullptr);
  LOGFONTW font = base.font;
  font.lfWidth = 0;
  const int start = MulDiv(CharacterHeight(base.font, base.dpi), dpi, base.dpi);
  FittedFont fitted;
  for (int height = std::max(start, kSmallestPixelHeight); height >= kSmallestPixelHeight;
       --height) {
    font.lfHeight = -height;
    UniqueFont candidate(CreateFontIndirectW(&font));
    if (!candidate)
      continue;
    fitted.font = std::move(candidate);
    fitted.pixelHeight = height;
    if (!screen)
      break;
    SelectedObject selected(screen.Get(), fitted.font.get());
    bool allFit = true;
    for (const CaptionBox& box : captions) {
      if (!CaptionFits(screen.Get(), box, dpi)) {
        allFit = false;
        break;
      }
    }
    if (allFit)
      break;
  }
  return fitted;
}

}  // namespace tarnwick::win32
