#include "app/form1_layout.h"

#include <algorithm>

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

}  // namespace tarnwick
