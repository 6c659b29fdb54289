// Every text each label and button of the main window may have to show: its own caption and,
// for the two Step 1 labels, what the version check can put there. The window's font is
// chosen so that all of them fit.
#pragma once

#include <string>
#include <vector>

#include "app/form1_layout.h"

namespace tarnwick {

struct CaptionToFit {
  const ControlEntry* control;
  std::u16string text;
};

std::vector<CaptionToFit> CaptionsToFit();

}  // namespace tarnwick
