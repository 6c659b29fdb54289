#include "app/form1_captions.h"

#include <string_view>

#include "version/rdp_version.h"

namespace tarnwick {
namespace {

// One version of each classification, and a long version text as Windows 7 reports it.
constexpr std::u16string_view kSampleVersions[] = {
    u"6.1.7600.16385",
    u"6.1.7601.17514",
    u"6.0.6001.18000",
    u"6.0.6002.18005",
    u"6.1.7601.17514 (win7sp1_rtm.101119-1850)",
};

}  // namespace

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
