// The main window's layout as data: every control with its kind, caption, rectangle in twips
// (1/1440 inch, from the client area's top-left corner) and place in the tab order. The
// window code realises this table as it stands; nothing about the layout lives elsewhere.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/form1_texts.h"

namespace tarnwick {

// Twips (1/1440 inch) to device pixels at a given resolution.
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

enum class ControlKind {
  kLabel,   // fixed or program-set text, left-aligned, wrapped at word boundaries, clipped
  kButton,  // push button
  kLogBox,  // multi-line, read-only text box with a vertical scroll bar
  kLine,    // thin horizontal separator from (left, top) to (left + width, top)
};

// Members of the control arrays Label(0..3) and Line(0..4) carry their index after "_".
enum class ControlId {
  Label3,
  Line_1,
  Label_0,
  Label_1,
  lblOSVersion,
  Label_2,
  lblRDPVersion,
  Line_2,
  Label1,
  cmdXP,
  cmdVista32,
  cmdVista64,
  cmdWindows7,
  Label4,
  cmdRefreshVersion,
  Line_0,
  cmdGo,
  Label2,
  txtLog,
  Line_3,
  Label5,
  Line_4,
  Label_3,
  cmdClose,
};

struct TwipRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;  // 0 for lines
};

inline constexpr int kNoTabIndex = -1;

struct ControlEntry {
  ControlId id;
  ControlKind kind;
  std::u16string_view caption;
  TwipRect rect;
  int tabIndex;  // kNoTabIndex for lines
};

inline constexpr int kClientWidthTwips = 10335;
inline constexpr int kClientHeightTwips = 9030;
// A separator is one pixel thick at 96 dpi.
inline constexpr int kLineThicknessTwips = 15;

// The controls in reading order: top to bottom, then left to right.
inline constexpr std::array<ControlEntry, 24> kForm1Controls = [] {
  using enum ControlId;
  using enum ControlKind;
  return std::array<ControlEntry, 24>{{
      {Label3, kLabel, kLabel3Caption, {240, 120, 9975, 735}, 16},
      {Line_1, kLine, u"", {360, 840, 9000, 0}, kNoTabIndex},
      {Label_0, kLabel, u"Step 1: Determine Current Version of RDP: ", {240, 960, 3255, 255}, 8},
      {Label_1, kLabel, u"Reported Version Is:", {720, 1320, 1575, 255}, 9},
      {lblOSVersion, kLabel, u"?", {2400, 1320, 5295, 255}, 10},
      {Label_2, kLabel, u"This Corresponds To:", {720, 1680, 1575, 255}, 13},
      {lblRDPVersion, kLabel, u"?", {2400, 1680, 5295, 375}, 14},
      {Line_2, kLine, u"", {360, 2160, 9000, 0}, kNoTabIndex},
      {Label1, kLabel, kLabel1Caption, {240, 2280, 9615, 495}, 11},
      {cmdXP, kButton, u"Windows XP", {2880, 2520, 1455, 375}, 1},
      {cmdVista32, kButton, u"Windows Vista 32-bit", {4440, 2520, 1815, 375}, 2},
      {cmdVista64, kButton, u"Windows Vista 64-bit", {6360, 2520, 1815, 375}, 3},
      {cmdWindows7, kButton, u"Windows 7 or higher", {8280, 2520, 1815, 375}, 4},
      {Label4,
       kLabel,
       u"Step 2b: Refresh Version Number Above to Verify Installation",
       {240, 3000, 4335, 255},
       17},
      {cmdRefreshVersion, kButton, u"Refresh Version Number", {4800, 3000, 1935, 375}, 0},
      {Line_0, kLine, u"", {360, 3480, 9000, 0}, kNoTabIndex},
      {cmdGo, kButton, u"Update Authentication Protocols", {7320, 3600, 2415, 375}, 5},
      {Label2,
       kLabel,
       u"Step 3: Update registry values to support authentication protocols by clicking this "
       u"button:",
       {240, 3720, 6375, 255},
       12},
      {txtLog, kLogBox, u"", {240, 4080, 9495, 2775}, 6},
      {Line_3, kLine, u"", {360, 6960, 9000, 0}, kNoTabIndex},
      {Label5, kLabel, kLabel5Caption, {360, 7200, 9135, 495}, 18},
      {Line_4, kLine, u"", {360, 7680, 9000, 0}, kNoTabIndex},
      {Label_3,
       kLabel,
       u"Step 5: Log in to the server using the OstrivelServer icon in the Ostrivel Hosting folder "
       u"on your desktop.",
       {360, 7800, 9135, 255},
       15},
      {cmdClose, kButton, u"Close", {4440, 8400, 1455, 435}, 7},
  }};
}();

// The table entry of a control.
const ControlEntry& Form1Control(ControlId id);

// Only buttons and the log box take the focus.
constexpr bool TakesFocus(ControlKind kind) {
  return kind == ControlKind::kButton || kind == ControlKind::kLogBox;
}

// The order in which the window's controls are created: the separators first, so that they
// lie on top of the labels they touch, then every other control by tab index. Creation order
// is the order in which the focus walks, and earlier controls lie above later ones (the
// download buttons above the Label1 text they overlap).
std::array<const ControlEntry*, kForm1Controls.size()> CreationOrder();

// Where a control lies at `dpi`, in client pixels; edges are converted one by one so that
// neighbours stay flush. A separator is kLineThicknessTwips thick, and never thinner than a
// pixel.
PixelRect ControlPixels(const ControlEntry& entry, int dpi);

// The client area at `dpi`.
PixelRect ClientPixels(int dpi);

// Every text each label and button may have to show: its own caption and, for the two Step 1
// labels, what the version check can put there. The window's font is chosen so that all of
// them fit.
struct CaptionToFit {
  const ControlEntry* control;
  std::u16string text;
};
std::vector<CaptionToFit> CaptionsToFit();

}  // namespace tarnwick
