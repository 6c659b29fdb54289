// Step 1 of the window: the installed Remote Desktop client's version and what it means.
#pragma once

#include <string>
#include <string_view>

#include "platform/system_info.h"
#include "version/version_info.h"

namespace tarnwick {

// The two labels the check writes: the reported version and its classification.
class VersionLabels {
 public:
  virtual ~VersionLabels() = default;
  virtual void SetReportedVersion(std::u16string_view text) = 0;
  virtual std::u16string ReportedVersion() const = 0;
  virtual void SetClassification(std::u16string_view text) = 0;
};

// The caption that tells the user what a client version text means.
std::u16string_view ClassifyRDPVersion(std::u16string_view version);

// Reads the FileVersion of mstsc.exe in the system directory into the reported version label,
// reads the label back and sets the classification label from it.
void ShowRDPVersion(SystemInfoApi& system, VersionInfoApi& versions, VersionLabels& labels);

}  // namespace tarnwick
