// One suite for the version-information operations, run against every implementation: the
// double, which describes the fixtures that tests/win32/fixtures builds, and, under Wine,
// version.dll on those fixtures.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "version/version_info.h"

namespace tarnwick::testing {

// The FileVersion of en_us.dll and two_translations.dll, and of long_version.dll (300 characters).
inline constexpr std::u16string_view kFixtureVersion = u"6.1.7601.17514 (win7sp1_rtm.101119-1850)";
inline std::u16string LongFixtureVersion() {
  return u"6.1.7601.17514 (" + std::u16string(283, u'x') + u")";
}

struct VersionInfoBackend {
  std::string name;
  std::function<std::unique_ptr<VersionInfoApi>()> make;
  // Where the fixture `name` (en_us.dll, two_translations.dll, long_version.dll, no_version.dll)
  // is; missing.dll is nowhere.
  std::function<std::u16string(std::u16string_view name)> fixture;
};

class VersionInfoContract : public ::testing::TestWithParam<VersionInfoBackend> {
 protected:
  void SetUp() override { api_ = GetParam().make(); }
  std::u16string Fixture(std::u16string_view name) const { return GetParam().fixture(name); }
  // The version information of the fixture `name`, read whole.
  std::vector<std::byte> Block(std::u16string_view name);

  std::unique_ptr<VersionInfoApi> api_;
};

}  // namespace tarnwick::testing
