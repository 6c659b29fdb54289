#include "version/rdp_version.h"

#include <array>
#include <limits>

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

std::optional<DottedVersion> LeadingDottedVersion(std::u16string_view text) {
  constexpr std::uint32_t kMax = std::numeric_limits<std::uint32_t>::max();
  std::array<std::uint32_t, 3> numbers{};
  std::size_t pos = 0;
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    if (i > 0 && (pos >= text.size() || text[pos++] != u'.'))
      return std::nullopt;
    const std::size_t start = pos;
    for (; pos < text.size() && text[pos] >= u'0' && text[pos] <= u'9'; ++pos) {
      const std::uint32_t digit = text[pos] - u'0';
      numbers[i] = numbers[i] > (kMax - digit) / 10 ? kMax : numbers[i] * 10 + digit;
    }
    if (pos == start)
      return std::nullopt;
  }
  return DottedVersion{numbers[0], numbers[1], numbers[2]};
}

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
