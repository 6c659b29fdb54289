// Twips (1/1440 inch) to device pixels at a given resolution.
#pragma once

#include <cstdint>

namespace tarnwick {

inline constexpr int kTwipsPerInch = 1440;

// pixels = twips × dpi / 1440, rounded to the nearest pixel (halves away from zero).
constexpr int TwipsToPixels(int twips, int dpi) {
  const std::int64_t scaled = static_cast<std::int64_t>(twips) * dpi;
  const std::int64_t half = kTwipsPerInch / 2;
  return static_cast<int>(scaled >= 0 ? (scaled + half) / kTwipsPerInch
                                      : -((-scaled + half) / kTwipsPerInch));
}

struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  constexpr int width() const { return right - left; }
  constexpr int height() const { return bottom - top; }
  friend constexpr bool operator==(const PixelRect&, const PixelRect&) = default;
};

}  // namespace tarnwick
