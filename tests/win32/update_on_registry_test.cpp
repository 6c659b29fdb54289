// The update against the real registry of the throwaway Wine prefix. Each test puts the two
// values back as it found them.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "backup/win32/win32_backup_folder_ops.h"
#include "log/activity_log.h"
#include "memory_registry.h"
#include "placed_credssp.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_system_info.h"
#include "platform/win32/windows_error.h"
#include "reported_windows.h"
#include "update/update_and_check.h"
#include "value_backup.h"
#include "xp_sp3.h"

namespace tarnwick::testing {
namespace {

// The values these tests seed are XP's, and so is the Windows the update is told it runs on.
constexpr WindowsVersion kWindowsXp{5, 1, 2600};

// Removes the backup files that the run which logged `log` saved.
void DeleteBackupsIn(std::u16string_view log) {
  for (const bool second : {false, true})
    DeleteFileW(win32::Wide(BackupPathIn(log, second)).c_str());
}

class UpdateOnRegistry : public ::testing::Test {
 protected:
  void SeedPackages(RegType type, const std::vector<std::byte>& bytes) {
    ValueBackup::Write(registry_, kLsaKey, kPackagesValue, type, bytes);
  }
  void SeedProviders(RegType type, const std::vector<std::byte>& bytes) {
    ValueBackup::Write(registry_, kProvidersKey, kProvidersValue, type, bytes);
  }
  StoredValue Packages() { return ValueBackup::Read(registry_, kLsaKey, kPackagesValue).value(); }
  StoredValue Providers() {
    return ValueBackup::Read(registry_, kProvidersKey, kProvidersValue).value();
  }
  std::u16string Run() {
    ActivityLog log;
    outcome_ = UpdateAuthProtocols(registry_, backups_, xp_, log);
    return log.Text();
  }

  win32::Win32Registry registry_;
  const win32::RunTimeFunctions functions_ = win32::RunTimeFunctions::OfThisWindows();
  win32::Win32SystemInfo system_{functions_};
  win32::Win32BackupFolderOps backupOps_{system_, functions_};
  BackupFiles backups_{backupOps_};
  ReportedWindows xp_{system_, kWindowsXp};
  PlacedCredssp credssp_;
  UpdateOutcome outcome_ = UpdateOutcome::kFailed;
  ValueBackup packages_{registry_, kLsaKey, kPackagesValue};
  ValueBackup providers_{registry_, kProvidersKey, kProvidersValue};
};

// Runs `command` in the prefix and waits for it; its exit code.
DWORD RunAndWait(std::wstring command) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    ADD_FAILURE() << "could not start the command: error " << GetLastError();
    return ~DWORD{0};
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = ~DWORD{0};
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

std::wstring WindowsDirectory() {
  wchar_t path[MAX_PATH] = {};
  GetWindowsDirectoryW(path, MAX_PATH);
  return path;
}

struct RoundTripCase {
  const char* label;
  std::vector<std::byte> packages;
  std::vector<std::byte> providers;
  // What the import stores. regedit stores each value through RegSetValueExW, which, as on
  // Windows, adds the terminator of a string whose bytes end without one; every reader sees
  // the same value either way.
  std::vector<std::byte> packagesRestored;
  std::vector<std::byte> providersRestored;
};

TEST_F(UpdateOnRegistry, ImportingTheBackupPutsBackTheBytesAsSeeded) {
  const std::u16string cyrillic = u"\u043F\u0430\u043A\u0435\u0442";
  const auto hidden = Utf16Bytes(std::u16string(u"x.dll\0old.dll\0", 14));
  const auto extraNuls =
      Utf16Bytes(std::u16string(u"kerberos\0\0", 10) + cyrillic + std::u16string(u"\0\0\0", 3));
  const auto twoNuls = Utf16Bytes(std::u16string(u"msapsspc.dll\0\0", 14));
  const std::vector<RoundTripCase> cases = {
      {"extra NULs and non-ASCII in the list, text with leftovers after its NUL", extraNuls, hidden,
       extraNuls, hidden},
      {"empty list, text with two NULs", RawBytes({0, 0}), twoNuls, RawBytes({0, 0}), twoNuls},
      {"list and text without terminators", Utf16Bytes(u"kerberos"),
       Utf16Bytes(u"a.dll, " + cyrillic), Utf16Bytes(std::u16string(u"kerberos\0", 9)),
       Utf16Bytes(u"a.dll, " + cyrillic + std::u16string(u"\0", 1))},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    SeedPackages(kRegMultiSz, c.packages);
    SeedProviders(kRegSz, c.providers);
    const std::u16string log = Run();
    EXPECT_EQ(outcome_, UpdateOutcome::kChanged);
    ASSERT_FALSE(BackupPathIn(log, true).empty()) << "a backup for each value";
    EXPECT_NE(Packages().bytes, c.packages) << "the run changed the list";

    for (const bool second : {false, true}) {
      EXPECT_EQ(RunAndWait(L"\"" + WindowsDirectory() + L"\\regedit.exe\" /s \"" +
                           win32::Wide(BackupPathIn(log, second)) + L"\""),
                0u);
    }
    EXPECT_EQ(Packages().type, kRegMultiSz);
    EXPECT_EQ(Packages().bytes, c.packagesRestored);
    EXPECT_EQ(Providers().type, kRegSz);
    EXPECT_EQ(Providers().bytes, c.providersRestored);
    DeleteBackupsIn(log);
  }
}

TEST_F(UpdateOnRegistry, WithoutABackupFolderNothingIsWritten) {
  SeedPackages(kRegMultiSz, XpPackagesBytes());
  SeedProviders(kRegSz, SzBytes(kXpProviders));
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring blocker = std::wstring(temp) + L"tarnwick-not-a-folder";
  { std::ofstream(std::filesystem::path(blocker)) << "a file where the folder should go"; }
  win32::Win32BackupFolderOps blockedOps(system_, functions_, win32::Utf16(blocker),
                                         L"SOFTWARE\\Tarnwick Test");
  BackupFiles blocked(blockedOps);
  ActivityLog log;
  EXPECT_EQ(UpdateAuthProtocols(registry_, blocked, xp_, log), UpdateOutcome::kFailed);
  DeleteFileW(blocker.c_str());
  EXPECT_NE(
      log.Text().find(u"\r\nCould not save a backup of SYSTEM\\CurrentControlSet\\Control\\"
                      u"Lsa\\Security Packages: the backup folder " +
                      win32::Utf16(blocker) + u"\\Tarnwick could not be found or made (error "),
      std::u16string::npos)
      << std::string(log.Text().begin(), log.Text().end());
  EXPECT_EQ(log.Text().find(u"Key updated"), std::u16string::npos);
  EXPECT_EQ(Packages().bytes, XpPackagesBytes());
  EXPECT_EQ(Providers().bytes, SzBytes(kXpProviders));
}

TEST_F(UpdateOnRegistry, AProviderTextEndsAtItsFirstNul) {
  SeedPackages(kRegMultiSz, MultiSzBytes({u"kerberos", u"tspkg"}));
  SeedProviders(kRegSz, Utf16Bytes(std::u16string(u"x.dll\0credssp.dll\0", 18)));
  const std::u16string log = Run();
  EXPECT_NE(log.find(u"\r\nCurrent Value: x.dll\r\nAdding Value credssp.dll"),
            std::u16string::npos);
  EXPECT_EQ(Providers().bytes, SzBytes(u"x.dll, credssp.dll"));
  DeleteBackupsIn(log);
}

const std::u16string_view kOsConfigKey = u"SYSTEM\\CurrentControlSet\\Control\\Lsa\\OSConfig";

TEST_F(UpdateOnRegistry, TspkgBuiltIntoNewerWindowsIsNotAddedAgain) {
  RegKey probe = kNoKey;
  const bool keyExisted =
      registry_.OpenKey(kHkeyLocalMachine, kOsConfigKey, 0, kKeyAccessMask, probe) == kErrorSuccess;
  if (keyExisted)
    registry_.CloseKey(probe);
  {
    ValueBackup osConfig(registry_, kOsConfigKey, kPackagesValue);
    SeedPackages(kRegMultiSz, RawBytes({0, 0}));
    SeedProviders(kRegSz, SzBytes(u"credssp.dll"));
    ValueBackup::Write(registry_, kOsConfigKey, kPackagesValue, kRegMultiSz,
                       MultiSzBytes({u"kerberos", u"msv1_0", u"TSPKG"}));
    const std::u16string log = Run();
    EXPECT_NE(log.find(u"\r\nReading Value From: SYSTEM\\CurrentControlSet\\Control\\Lsa\\"
                       u"OSConfig\\Security Packages\r\nCurrent Value: kerberos msv1_0 TSPKG "
                       u"\r\ntspkg already present, no change required\r\nStep 1 Complete"),
              std::u16string::npos);
    EXPECT_EQ(outcome_, UpdateOutcome::kNothingToChange);
    EXPECT_EQ(Packages().bytes, RawBytes({0, 0}));
  }
  if (!keyExisted)
    registry_.DeleteKey(kHkeyLocalMachine, kOsConfigKey);
}

TEST_F(UpdateOnRegistry, WindowsXpSp3ValuesAreExtendedOnceAndThenLeftAlone) {
  SeedPackages(kRegMultiSz, XpPackagesBytes());
  SeedProviders(kRegSz, SzBytes(kXpProviders));

  const std::u16string first = Run();
  EXPECT_EQ(first, XpFirstRunLog(BackupPathIn(first), BackupPathIn(first, true)));
  EXPECT_EQ(outcome_, UpdateOutcome::kChanged);
  DeleteBackupsIn(first);
  EXPECT_EQ(Packages().type, kRegMultiSz);
  EXPECT_EQ(Packages().bytes,
            MultiSzBytes({u"kerberos", u"msv1_0", u"schannel", u"wdigest", u"tspkg"}));
  EXPECT_EQ(Providers().type, kRegSz);
  EXPECT_EQ(Providers().bytes,
            SzBytes(u"msapsspc.dll, schannel.dll, digest.dll, msnsspc.dll, credssp.dll"));

  EXPECT_EQ(Run(), kXpSecondRunLog);
  EXPECT_EQ(Packages().bytes,
            MultiSzBytes({u"kerberos", u"msv1_0", u"schannel", u"wdigest", u"tspkg"}));
}

TEST_F(UpdateOnRegistry, LargeAndNonAsciiListsAreReadWholeAndKept) {
  std::u16string longName(1500, u'p');
  const std::u16string cyrillic = u"\u043F\u0430\u043A\u0435\u0442";
  SeedPackages(kRegMultiSz, MultiSzBytes({u"kerberos", longName, cyrillic}));
  SeedProviders(kRegSz, SzBytes(u"credssp.dll"));

  const std::u16string log = Run();
  EXPECT_NE(log.find(u"Current Value: kerberos " + longName + u" " + cyrillic + u" \r\n"),
            std::u16string::npos);
  EXPECT_EQ(Packages().bytes, MultiSzBytes({u"kerberos", longName, cyrillic, u"tspkg"}));
  EXPECT_NE(log.find(u"credssp.dll already present, no change required"), std::u16string::npos);
  DeleteBackupsIn(log);
}

TEST_F(UpdateOnRegistry, MissingAndUnsupportedValuesAreReportedAndNotWritten) {
  {
    RegKey key = kNoKey;
    ASSERT_EQ(registry_.OpenKey(kHkeyLocalMachine, kLsaKey, 0, kKeyAccessMask, key), kErrorSuccess);
    registry_.DeleteValue(key, kPackagesValue);
    registry_.CloseKey(key);
  }
  SeedProviders(kRegExpandSz, SzBytes(u"%SystemRoot%\\x.dll"));

  const std::u16string log = Run();
  // Windows' code and Windows' own text for it.
  const std::u16string missing = u"Security Packages: the value does not exist (" +
                                 ErrorText(win32::WindowsError(ERROR_FILE_NOT_FOUND)) +
                                 u"). Nothing was changed.\r\n";
  EXPECT_NE(log.find(missing + u"Step 1 Complete"), std::u16string::npos);
  EXPECT_NE(log.find(u"SecurityProviders: its type (REG_EXPAND_SZ) is not supported (error 1630: "
                     u"Data of this type is not supported). Nothing was changed.\r\nStep 2 "
                     u"Complete"),
            std::u16string::npos);
  EXPECT_FALSE(ValueBackup::Read(registry_, kLsaKey, kPackagesValue));
  EXPECT_EQ(Providers().type, kRegExpandSz);
  EXPECT_EQ(Providers().bytes, SzBytes(u"%SystemRoot%\\x.dll"));
}

}  // namespace
}  // namespace tarnwick::testing
