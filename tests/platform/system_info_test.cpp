#include "platform/system_info.h"

#include <gtest/gtest.h>

#include "fake_system_info.h"

namespace tarnwick::testing {
namespace {

struct DirCase {
  std::u16string reported;
  std::optional<std::uint32_t> count;
  std::u16string expected;
};

class SystemDirectory : public ::testing::TestWithParam<DirCase> {};

TEST_P(SystemDirectory, AlwaysEndsInABackslash) {
  FakeSystemInfo api;
  api.systemDirectory = GetParam().reported;
  api.systemDirectoryCount = GetParam().count;
  EXPECT_EQ(SystemDir(api), GetParam().expected);
}

const std::u16string kDeep = u"C:\\" + std::u16string(1500, u'x');

INSTANTIATE_TEST_SUITE_P(
    Reported, SystemDirectory,
    ::testing::Values(DirCase{u"C:\\Windows\\system32", {}, u"C:\\Windows\\system32\\"},
                      DirCase{u"D:\\", {}, u"D:\\"}, DirCase{u"C:\\Windows\\system32", 0u, u"\\"},
                      DirCase{u"C:\\Windows\\system32", 10u, u"C:\\Windows\\"},
                      // Longer than the first buffer: asked again with the size it needs.
                      DirCase{kDeep, {}, kDeep + u"\\"}));

TEST(SystemDirectory, BufferThatNeverFitsGivesTheRoot) {
  FakeSystemInfo api;
  api.systemDirectoryCount = 5000;
  EXPECT_EQ(SystemDir(api), u"\\");
  EXPECT_EQ(api.systemDirectoryCalls, 2);
}

TEST(Names, AreTheReportedCharacters) {
  FakeSystemInfo api;
  api.computerName = u"KESTWYN-PC";
  api.userName = u"Administrator";
  EXPECT_EQ(ComputerName(api), u"KESTWYN-PC");
  EXPECT_EQ(UserName(api), u"Administrator");
}

TEST(Names, AreEmptyWhenTheCallFails) {
  FakeSystemInfo api;
  api.namesFail = true;
  for (std::uint32_t left : {0u, 1u, 300u, 0xFFFFFFFFu}) {
    api.sizeLeftOnFailure = left;
    EXPECT_EQ(ComputerName(api), u"") << left;
    EXPECT_EQ(UserName(api), u"") << left;
  }
  api = FakeSystemInfo{};
  api.computerName = std::u16string(300, u'c');
  api.userName = std::u16string(300, u'u');
  EXPECT_EQ(ComputerName(api), u"");
  EXPECT_EQ(UserName(api), u"");
}

TEST(Names, UserNameNeverGoesNegativeOrPastTheBuffer) {
  FakeSystemInfo api;
  api.userNameSize = 0;
  EXPECT_EQ(UserName(api), u"");
  api.userNameSize = 1000;
  EXPECT_EQ(UserName(api).size(), 256u);
}

}  // namespace
}  // namespace tarnwick::testing
