// What the main window's handlers need from the window itself.
#pragma once

#include <string_view>

#include "version/rdp_version.h"

namespace tarnwick {

class Form1View : public VersionLabels {
 public:
  // Replaces the whole text of the log box.
  virtual void SetLogText(std::u16string_view text) = 0;
  // A modal message box with an OK button only and no icon; returns when it is dismissed.
  virtual void ShowNotice(std::u16string_view text, std::u16string_view title) = 0;
  // Shows the window (not modal).
  virtual void Show() = 0;
  // Takes the window away and ends the program.
  virtual void Unload() = 0;
};

}  // namespace tarnwick
