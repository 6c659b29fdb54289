#include "version/rdp_version.h"

#include "version/dotted_version.h"

namespace tarnwick {
namespace {

constexpr std::u16string_view kClientFile = u"mstsc.exe";

constexpr std::u16string_view kRdp70Build = u"6.1.7600.16385";
constexpr DottedVersion kFirstRdp71{6, 1, 7601};
constexpr std::u16string_view kRdp61Build = u"6.0.6001.18000";

constexpr std::u16string_view kRdp70 =
    u"RDP Version 7.0 - No need to install update. Proceed to step #3.";
constexpr std::u16string_view kRdp71OrHigher =
    u"RDP Version 7.1 or higher - No need to install update. Proceed to step #3.";
constexpr std::u16string_view kRdp61 = u"RDP Version 6.1 - Please proceed to step #2.";
constexpr std::u16string_view kUndetermined =
    u"Unable to determine corresponding version.\r\n"
    u"It is recommended you proceed to step #2";

}  // namespace

std::u16string_view ClassifyRDPVersion(std::u16string_view version) {
  if (version.find(kRdp70Build) != std::u16string_view::npos)
    return kRdp70;
  if (auto numbers = LeadingDottedVersion(version); numbers && *numbers >= kFirstRdp71)
    return kRdp71OrHigher;
  if (version.find(kRdp61Build) != std::u16string_view::npos)
    return kRdp61;
  return kUndetermined;
}

void ShowRDPVersion(SystemInfoApi& system, VersionInfoApi& versions, VersionLabels& labels) {
  std::u16string path = SystemDir(system) + std::u16string(kClientFile);
  labels.SetReportedVersion(GetFileVersion(versions, path));
  // What the label shows is what gets classified.
  std::u16string shown = labels.ReportedVersion();
  labels.SetClassification(ClassifyRDPVersion(shown));
}

}  // namespace tarnwick
