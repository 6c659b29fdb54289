// Step 1 of the window: the installed Remote Desktop client's version and what it means.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
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

// The leading "major.minor.build" numbers of a version text, compared as numbers.
struct DottedVersion {
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t build = 0;

  friend auto operator<=>(const DottedVersion&, const DottedVersion&) = default;
};

// The three dot-separated decimal numbers the text starts with; whatever follows them (a
// fourth number, a blank and a build tag, ...) is ignored. Nothing when the text does not start
// that way. A number too large for 32 bits counts as the largest one.
std::optional<DottedVersion> LeadingDottedVersion(std::u16string_view text);

// The caption that tells the user what a client version text means.
std::u16string_view ClassifyRDPVersion(std::u16string_view version);

// Reads the FileVersion of mstsc.exe in the system directory into the reported version label,
// reads the label back and sets the classification label from it.
void ShowRDPVersion(SystemInfoApi& system, VersionInfoApi& versions, VersionLabels& labels);

}  // namespace tarnwick
