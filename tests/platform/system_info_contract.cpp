#include "system_info_contract.h"

#include <algorithm>
#include <utility>

namespace tarnwick::testing {
namespace {

// GetSystemDirectoryW: the characters and their count where they fit, else the size needed with
// the terminator; "This path does not end with a backslash unless the system directory is the
// root directory".
TEST_P(SystemInfoContract, TheSystemDirectoryIsAFullPathOrTheSizeItNeeds) {
  std::u16string buffer(300, u'#');
  const std::uint32_t count = api_->GetSystemDirectory(buffer);
  ASSERT_GT(count, 3u);
  ASSERT_LT(count, buffer.size());
  EXPECT_EQ(buffer[count], u'\0');
  buffer.resize(count);
  EXPECT_EQ(buffer.substr(1, 2), u":\\");
  EXPECT_NE(buffer.back(), u'\\');
  EXPECT_EQ(buffer.find(u'\0'), std::u16string::npos);
  for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{count}}) {
    std::u16string small(count, u'#');
    EXPECT_EQ(api_->GetSystemDirectory(std::span(small.data(), size)), count + 1) << size;
  }
}

// kernel32.dll is in every system directory; a name is a name in any case, and a folder is no
// file.
TEST_P(SystemInfoContract, NativeFilesAreTheSystemDirectorysFiles) {
  const std::u16string directory = SystemDir(*api_);
  EXPECT_TRUE(api_->IsNativeFile(directory + u"kernel32.dll"));
  EXPECT_TRUE(api_->IsNativeFile(directory + u"KERNEL32.DLL"));
  EXPECT_FALSE(api_->IsNativeFile(directory + u"tarnwick-no-such-file.dll"));
  EXPECT_FALSE(api_->IsNativeFile(directory.substr(0, directory.size() - 1)));
}

// GetComputerNameW counts the name without its terminator, GetUserNameW with it; each fails
// where the capacity (`size`, whatever the buffer) is too small and gives the size needed,
// terminator included. A NetBIOS name has at most MAX_COMPUTERNAME_LENGTH (15) characters, a
// user name at most UNLEN (256).
TEST_P(SystemInfoContract, NamesAreGivenAndMeasuredAsWindowsGivesThem) {
  const struct {
    const char* label;
    bool (SystemInfoApi::*ask)(std::span<char16_t>, std::uint32_t&);
    std::uint32_t terminatorCounted;
    std::size_t longest;
  } rows[] = {{"computer", &SystemInfoApi::GetComputerName, 0, 15},
              {"user", &SystemInfoApi::GetUserName, 1, 256}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.label);
    std::u16string buffer(300, u'#');
    std::uint32_t size = 300;
    ASSERT_TRUE((*api_.*row.ask)(buffer, size));
    const std::uint32_t length = size - row.terminatorCounted;
    EXPECT_GT(length, 0u);
    EXPECT_LE(length, row.longest);
    EXPECT_EQ(buffer[length], u'\0');
    EXPECT_EQ(buffer.substr(0, length).find(u'\0'), std::u16string::npos);
    size = length;
    EXPECT_FALSE((*api_.*row.ask)(buffer, size));
    EXPECT_EQ(size, length + 1);
  }
}

TEST_P(SystemInfoContract, TheWindowsVersionIsOneThatWindowsHasHad) {
  WindowsVersion version;
  ASSERT_TRUE(api_->GetWindowsVersion(version));
  const std::pair<std::uint32_t, std::uint32_t> known[] = {{5, 0}, {5, 1}, {5, 2}, {6, 0},
                                                           {6, 1}, {6, 2}, {6, 3}, {10, 0}};
  EXPECT_NE(std::find(std::begin(known), std::end(known), std::pair(version.major, version.minor)),
            std::end(known));
  EXPECT_GT(version.build, 0u);
}

}  // namespace
}  // namespace tarnwick::testing
