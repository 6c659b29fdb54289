#include "app/form1_layout.h"

#include <algorithm>

#include "version/rdp_version.h"

namespace tarnwick {
namespace {

constexpr bool TableFollowsIds() {
  for (std::size_t i = 0; i < kForm1Controls.size(); ++i) {
    if (static_cast<std::size_t>(kForm1Controls[i].id) != i)
      return false;
  }
  return true;
}
static_assert(TableFollowsIds(), "kForm1Controls lists the controls in ControlId order");

// One version of each classification, and a long version text as Windows 7 reports it.
constexpr std::u16string_view kSampleVersions[] = {
    u"6.1.7600.16385",
    u"6.1.7601.17514",
    u"6.0.6001.18000",
    u"6.0.6002.18005",
    u"6.1.7601.17514 (win7sp1_rtm.101119-1850)",
};

}  // namespace

const ControlEntry& Form1Control(ControlId id) {
  return kForm1Controls[static_cast<std::size_t>(id)];
}

std::array<const ControlEntry*, kForm1Controls.size()> CreationOrder() {
  std::array<const ControlEntry*, kForm1Controls.size()> order{};
  std::transform(kForm1Controls.begin(), kForm1Controls.end(), order.begin(),
                 [](const ControlEntry& entry) { return &entry; });
  // Lines carry kNoTabIndex (-1) and so come first, in reading order.
  std::stable_sort(order.begin(), order.end(), [](const ControlEntry* a, const ControlEntry* b) {
    return a->tabIndex < b->tabIndex;
  });
  return order;
}

PixelRect ControlPixels(const ControlEntry& entry, int dpi) {
  const TwipRect& r = entry.rect;
  const int height = entry.kind == ControlKind::kLine ? kLineThicknessTwips : r.height;
  PixelRect pixels{TwipsToPixels(r.left, dpi), TwipsToPixels(r.top, dpi),
                   TwipsToPixels(r.left + r.width, dpi), TwipsToPixels(r.top + height, dpi)};
  if (entry.kind == ControlKind::kLine)
    pixels.bottom = std::max(pixels.bottom, pixels.top + 1);
  return pixels;
}

PixelRect ClientPixels(int dpi) {
  return {0, 0, TwipsToPixels(kClientWidthTwips, dpi), TwipsToPixels(kClientHeightTwips, dpi)};
}

std::vector<CaptionToFit> CaptionsToFit() {
  std::vector<CaptionToFit> captions;
  for (const ControlEntry& entry : kForm1Controls) {
    if (entry.kind != ControlKind::kLabel && entry.kind != ControlKind::kButton)
      continue;
    captions.push_back({&entry, std::u16string(entry.caption)});
    if (entry.id == ControlId::lblOSVersion) {
      for (std::u16string_view version : kSampleVersions)
        captions.push_back({&entry, std::u16string(version)});
    } else if (entry.id == ControlId::lblRDPVersion) {
      for (std::u16string_view version : kSampleVersions)
        captions.push_back({&entry, std::u16string(ClassifyRDPVersion(version))});
    }
  }
  return captions;
}

}  // namespace tarnwick
