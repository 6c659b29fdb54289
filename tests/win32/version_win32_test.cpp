// The file version query and the client version check on real PE files, through version.dll
// as the system has it; the system queries against kernel32 and advapi32.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "fake_system_info.h"
#include "fake_version_labels.h"
#include "platform/win32/system_library.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_system_info.h"
#include "system_info_contract.h"
#include "version/rdp_version.h"
#include "version/win32/win32_version_info.h"
#include "version_info_contract.h"

namespace tarnwick::testing {
namespace {

using win32::Utf16;
using win32::Wide;
using win32::Win32SystemInfo;
using win32::Win32VersionInfo;

std::u16string ModulePath(HMODULE module) {
  std::wstring path(32768, L'\0');
  DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
  path.resize(length);
  return Utf16(path);
}

// The fixtures lie in version_fixtures beside this program.
std::u16string Fixture(std::u16string_view name) {
  std::u16string path = ModulePath(nullptr);
  path.resize(path.rfind(u'\\') + 1);
  return path + u"version_fixtures\\" + std::u16string(name);
}

bool SamePath(std::u16string_view a, std::u16string_view b) {
  return lstrcmpiW(Wide(a).c_str(), Wide(b).c_str()) == 0;
}

bool Exists(std::u16string_view path) {
  return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::u16string Environment(const wchar_t* name) {
  std::wstring value(32768, L'\0');
  DWORD length = GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
  value.resize(length < value.size() ? length : 0);
  return Utf16(value);
}

// The one place where the contracts make the Windows halves.
// This Windows' run-time functions, which every Win32 half below keeps a reference to.
const win32::RunTimeFunctions& ThisWindows() {
  static const win32::RunTimeFunctions functions = win32::RunTimeFunctions::OfThisWindows();
  return functions;
}
std::unique_ptr<SystemInfoApi> MakeSystemInfo() {
  return std::make_unique<Win32SystemInfo>(ThisWindows());
}
std::unique_ptr<VersionInfoApi> MakeVersionInfo() {
  return std::make_unique<Win32VersionInfo>(*MakeSystemInfo(), ThisWindows());
}

INSTANTIATE_TEST_SUITE_P(Win32, SystemInfoContract,
                         ::testing::Values(SystemInfoBackend{"Win32", MakeSystemInfo}),
                         [](const auto& info) { return info.param.name; });
INSTANTIATE_TEST_SUITE_P(Win32, VersionInfoContract,
                         ::testing::Values(VersionInfoBackend{"Win32", MakeVersionInfo, Fixture}),
                         [](const auto& info) { return info.param.name; });

struct FixtureCase {
  const char* name;
  std::u16string_view file;
  std::u16string expected;
};

class FileVersionOfFixture : public ::testing::TestWithParam<FixtureCase> {};

TEST_P(FileVersionOfFixture, IsTheFirstTranslationsFileVersion) {
  const auto functions = win32::RunTimeFunctions::OfThisWindows();
  Win32SystemInfo system(functions);
  Win32VersionInfo versions(system, functions);
  ASSERT_TRUE(versions.Loaded());
  ASSERT_TRUE(Exists(Fixture(u"en_us.dll"))) << "fixtures missing";
  EXPECT_EQ(GetFileVersion(versions, Fixture(GetParam().file)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, FileVersionOfFixture,
    ::testing::Values(
        FixtureCase{"UsEnglishUnicode", u"en_us.dll", u"6.1.7601.17514 (win7sp1_rtm.101119-1850)"},
        FixtureCase{"NeutralGerman", u"neutral_german.dll",
                    u"6.0.6001.18000 (longhorn_rtm.080118-1840)"},
        FixtureCase{"CodePageAbove0x8000", u"utf8_codepage.dll",
                    u"6.2.9200.16384 (win8_rtm.120725-1247)"},
        FixtureCase{"OnlyUnderTheSecondTranslation", u"two_translations.dll", u"?"},
        FixtureCase{"NoVersionResource", u"no_version.dll", u"?"},
        FixtureCase{"NoSuchFile", u"missing.dll", u"?"},
        FixtureCase{"LongerThan255Characters", u"long_version.dll", LongFixtureVersion()}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Win32VersionInfo, LoadsVersionDllFromTheSystemDirectoryAndFreesIt) {
  const auto functions = win32::RunTimeFunctions::OfThisWindows();
  Win32SystemInfo system(functions);
  {
    Win32VersionInfo versions(system, functions);
    ASSERT_TRUE(versions.Loaded());
    HMODULE loaded = GetModuleHandleW(L"version.dll");
    ASSERT_NE(loaded, nullptr);
    EXPECT_TRUE(SamePath(ModulePath(loaded), SystemDir(system) + u"version.dll"))
        << std::string(ModulePath(loaded).begin(), ModulePath(loaded).end());
  }
  EXPECT_EQ(GetModuleHandleW(L"version.dll"), nullptr);
}

TEST(Win32VersionInfo, LoadsNothingFromElsewhere) {
  const auto functions = win32::RunTimeFunctions::OfThisWindows();
  std::u16string fixtures = Fixture(u"");
  for (std::u16string_view directory :
       {std::u16string_view(fixtures), std::u16string_view(u"\\"),
        std::u16string_view(u"version_fixtures\\"), std::u16string_view(u"")}) {
    FakeSystemInfo system;  // `directory` as the system directory
    system.systemDirectory = directory;
    Win32VersionInfo versions(system, functions);
    EXPECT_FALSE(versions.Loaded());
    EXPECT_EQ(GetFileVersion(versions, Fixture(u"en_us.dll")), u"?");
  }
}

TEST(SystemLibrary, ComesFromTheSystemDirectoryAndNeverFromAPathThatIsNotAbsolute) {
  const auto functions = win32::RunTimeFunctions::OfThisWindows();
  Win32SystemInfo system(functions);
  {
    win32::UniqueModule loaded = win32::LoadSystemLibrary(system, u"oleaut32.dll", functions);
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(SamePath(ModulePath(loaded.get()), SystemDir(system) + u"oleaut32.dll"));
  }
  FakeSystemInfo unreadable;  // "\" as the system directory
  unreadable.systemDirectoryCount = 0;
  EXPECT_FALSE(win32::LoadSystemLibrary(unreadable, u"oleaut32.dll", functions));
  EXPECT_FALSE(win32::LoadLibraryAt(u"oleaut32.dll", functions));
}

// What start-up does where Windows has no SetDefaultDllDirectories: each listed DLL that the
// system has is then loaded, from the system directory, and a later load by name finds it.
TEST(SystemLibrary, PreloadingLoadsEachListedDllFromTheSystemDirectory) {
  const auto functions = win32::RunTimeFunctions::OfThisWindows();
  Win32SystemInfo system(functions);
  const std::vector<win32::UniqueModule> preloaded =
      win32::RestrictDllSearchByPreloading(system, functions);
  std::size_t present = 0;
  for (std::u16string_view name : win32::PreloadedLibraryNames()) {
    const std::u16string path = SystemDir(system) + std::u16string(name);
    if (!Exists(path)) {
      std::printf("not in this system: %s\n", std::string(name.begin(), name.end()).c_str());
      continue;
    }
    ++present;
    const HMODULE module = GetModuleHandleW(Wide(name).c_str());
    ASSERT_NE(module, nullptr) << std::string(name.begin(), name.end());
    EXPECT_TRUE(SamePath(ModulePath(module), path))
        << std::string(ModulePath(module).begin(), ModulePath(module).end());
    EXPECT_EQ(LoadLibraryW(Wide(name).c_str()), module);
    FreeLibrary(module);
  }
  EXPECT_EQ(preloaded.size(), present);
  EXPECT_GE(present, 4u);
}

TEST(Win32SystemInfo, SystemDirIsThePrefixsSystem32) {
  const auto functions = win32::RunTimeFunctions::OfThisWindows();
  Win32SystemInfo system(functions);
  std::u16string directory = SystemDir(system);
  ASSERT_GT(directory.size(), 3u);
  EXPECT_EQ(directory.back(), u'\\');
  EXPECT_TRUE(SamePath(directory, Environment(L"SystemRoot") + u"\\system32\\"));
  EXPECT_TRUE(Exists(directory + u"kernel32.dll"));

  // Under Wine the same directory is the prefix's drive_c/windows/system32 on the host; for a
  // 32-bit program in a 64-bit prefix, Windows redirects it to drive_c/windows/syswow64.
  std::u16string prefix = Environment(L"WINEPREFIX");
  if (prefix.empty())
    GTEST_SKIP() << "not under Wine";
  for (auto& c : prefix)
    c = c == u'/' ? u'\\' : c;
  std::u16string marker = directory + u"tarnwick-system-dir-marker.txt";
  HANDLE file = CreateFileW(Wide(marker).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  const std::u16string onDisk = sizeof(void*) == 4 ? u"syswow64" : u"system32";
  EXPECT_TRUE(Exists(u"Z:" + prefix + u"\\drive_c\\windows\\" + onDisk +
                     u"\\tarnwick-system-dir-marker.txt"));
  DeleteFileW(Wide(marker).c_str());
}

// The prefix reports the Windows version the build asked for (TARNWICK_WINE_WINDOWS), so
// that the code paths of that version are the ones these tests take; the program sees it
// although this test program declares no Windows version in a manifest.
TEST(Win32SystemInfo, TheSystemIsTheWindowsVersionTheTestsAskFor) {
  const std::u16string asked = Environment(L"TARNWICK_WINE_WINDOWS");
  ASSERT_FALSE(asked.empty());
  const struct {
    std::u16string_view name;
    std::uint32_t major;
    std::uint32_t minor;
  } versions[] = {{u"winxp", 5, 1}, {u"win7", 6, 1}, {u"win81", 6, 3}, {u"win10", 10, 0}};
  const auto functions = win32::RunTimeFunctions::OfThisWindows();
  Win32SystemInfo system(functions);
  const WindowsVersion reported = RunningWindows(system);
  EXPECT_GT(reported.build, 0u);
  bool known = false;
  for (const auto& version : versions) {
    if (version.name == asked) {
      known = true;
      EXPECT_EQ(reported.major, version.major);
      EXPECT_EQ(reported.minor, version.minor);
    }
  }
  EXPECT_TRUE(known) << "no expectation for this version";
}

// What the names are; how they are given is the contract's.
TEST(Win32SystemInfo, NamesAreTheComputersAndTheUsers) {
  const auto functions = win32::RunTimeFunctions::OfThisWindows();
  Win32SystemInfo system(functions);
  std::u16string computer = ComputerName(system);
  std::u16string user = UserName(system);
  EXPECT_TRUE(SamePath(computer, Environment(L"COMPUTERNAME")));
  EXPECT_TRUE(SamePath(user, Environment(L"USERNAME")));
}

// mstsc.exe in the real system directory. The prefix's own file, if it has one, is set aside
// for the test and put back afterwards (also after an earlier run that did not get to).
class ClientInSystemDirectory : public ::testing::Test {
 protected:
  void SetUp() override {
    client_ = SystemDir(system_) + u"mstsc.exe";
    backup_ = client_ + u".tarnwick-backup";
    if (Exists(backup_)) {
      ASSERT_TRUE(
          MoveFileExW(Wide(backup_).c_str(), Wide(client_).c_str(), MOVEFILE_REPLACE_EXISTING));
    }
    if (Exists(client_)) {
      ASSERT_TRUE(MoveFileW(Wide(client_).c_str(), Wide(backup_).c_str()));
      restore_ = true;
    }
  }

  void TearDown() override {
    DeleteFileW(Wide(client_).c_str());
    if (restore_) {
      EXPECT_TRUE(MoveFileW(Wide(backup_).c_str(), Wide(client_).c_str()));
    }
  }

  void Install(std::u16string_view fixture) {
    ASSERT_TRUE(CopyFileW(Wide(Fixture(fixture)).c_str(), Wide(client_).c_str(), FALSE));
  }

  const win32::RunTimeFunctions functions_ = win32::RunTimeFunctions::OfThisWindows();
  Win32SystemInfo system_{functions_};
  Win32VersionInfo versions_{system_, functions_};
  FakeVersionLabels labels_;
  std::u16string client_;
  std::u16string backup_;
  bool restore_ = false;
};

TEST_F(ClientInSystemDirectory, EachVersionShowsItsRow) {
  struct Row {
    std::u16string_view fixture;
    std::u16string_view version;
    std::u16string_view caption;
  };
  const Row rows[] = {
      {u"win7_rtm.dll", u"6.1.7600.16385 (win7_rtm.090713-1255)",
       u"RDP Version 7.0 - No need to install update. Proceed to step #3."},
      {u"en_us.dll", u"6.1.7601.17514 (win7sp1_rtm.101119-1850)",
       u"RDP Version 7.1 or higher - No need to install update. Proceed to step #3."},
      {u"neutral_german.dll", u"6.0.6001.18000 (longhorn_rtm.080118-1840)",
       u"RDP Version 6.1 - Please proceed to step #2."},
      {u"vista_sp2.dll", u"6.0.6002.18005 (lh_sp2rtm.090410-1830)",
       u"Unable to determine corresponding version.\r\nIt is recommended you proceed to step #2"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.fixture.begin(), row.fixture.end()));
    Install(row.fixture);
    ShowRDPVersion(system_, versions_, labels_);
    EXPECT_EQ(labels_.reported, row.version);
    EXPECT_EQ(labels_.classification, row.caption);
  }
}

TEST_F(ClientInSystemDirectory, MissingClientIsUndetermined) {
  labels_.reported = u"6.1.7601.17514";
  ShowRDPVersion(system_, versions_, labels_);
  EXPECT_EQ(labels_.reported, u"?");
  EXPECT_EQ(labels_.classification,
            u"Unable to determine corresponding version.\r\nIt is recommended you proceed to "
            u"step #2");
}

}  // namespace
}  // namespace tarnwick::testing
