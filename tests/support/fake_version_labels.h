// The two labels of the version check, as plain texts.
#pragma once

#include <optional>
#include <string>

#include "version/rdp_version.h"

namespace tarnwick::testing {

class FakeVersionLabels final : public VersionLabels {
 public:
  std::u16string reported = u"?";
  std::u16string classification = u"?";
  std::optional<std::u16string> shownInstead;  // what the label reads back, if not what was set

  void SetReportedVersion(std::u16string_view text) override { reported = text; }
  std::u16string ReportedVersion() const override { return shownInstead.value_or(reported); }
  void SetClassification(std::u16string_view text) override { classification = text; }
};

}  // namespace tarnwick::testing
