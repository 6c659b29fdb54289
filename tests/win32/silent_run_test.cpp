// The real program's command line, started from this Windows process with its standard output
// redirected to a file, against the prefix's registry. The exit code is read here in full: a
// Linux exit status keeps only its low 8 bits.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_line.h"
#include "platform/win32/win32_registry.h"
#include "run_program.h"
#include "value_backup.h"
#include "xp_sp3.h"

namespace tarnwick::testing {
namespace {

class SilentRun : public ::testing::Test {
 protected:
  void SeedXp() {
    ValueBackup::Write(registry_, kLsaKey, kPackagesValue, kRegMultiSz, XpPackagesBytes());
    ValueBackup::Write(registry_, kProvidersKey, kProvidersValue, kRegSz, SzBytes(kXpProviders));
  }
  std::vector<std::byte> Packages() {
    return ValueBackup::Read(registry_, kLsaKey, kPackagesValue).value().bytes;
  }

  win32::Win32Registry registry_;
  ValueBackup packages_{registry_, kLsaKey, kPackagesValue};
  ValueBackup providers_{registry_, kProvidersKey, kProvidersValue};
};

TEST_F(SilentRun, UpdatesWithoutAWindowAndSaysHowItWentInTheExitCode) {
  SeedXp();
  Finished first = RunProgram(L" /update");
  EXPECT_EQ(first.exitCode, kExitRestartNeeded);
  EXPECT_FALSE(first.otherWindow);
  EXPECT_TRUE(first.boxes.empty());
  const std::u16string firstLog(first.output.begin(), first.output.end());
  const std::u16string backupPath = BackupPathIn(u"\r\n" + firstLog);
  ASSERT_FALSE(backupPath.empty());
  EXPECT_EQ(first.output, AsOutputLines(XpFirstRunLog(backupPath)));
  EXPECT_EQ(Packages(), MultiSzBytes({u"kerberos", u"msv1_0", u"schannel", u"wdigest", u"tspkg"}));
  EXPECT_TRUE(DeleteFileW(std::wstring(backupPath.begin(), backupPath.end()).c_str()))
      << "the silent run saved its backup too";

  Finished second = RunProgram(L" -UPDATE");
  EXPECT_EQ(second.exitCode, kExitNothingToChange);
  EXPECT_EQ(second.output, AsOutputLines(kXpSecondRunLog));
  EXPECT_FALSE(second.otherWindow);

  ValueBackup::Write(registry_, kLsaKey, kPackagesValue, kRegSz, SzBytes(u"kerberos"));
  Finished failed = RunProgram(L" /Update");
  EXPECT_EQ(failed.exitCode, kExitFailed);
  EXPECT_NE(failed.output.find("Security Packages is a REG_SZ value where REG_MULTI_SZ was "
                               "expected; it was left unchanged.\r\n"),
            std::string::npos);
  EXPECT_FALSE(failed.otherWindow);
}

TEST_F(SilentRun, BadArgumentsDoNothingAndShowNothing) {
  SeedXp();
  for (const wchar_t* arguments : {L" /bogus", L" /update extra", L" update", L" /update /?"}) {
    SCOPED_TRACE(std::string(arguments, arguments + wcslen(arguments)));
    Finished finished = RunProgram(arguments);
    EXPECT_EQ(finished.exitCode, kExitInvalidArguments);
    EXPECT_EQ(finished.output, "");
    EXPECT_TRUE(finished.boxes.empty());
    EXPECT_FALSE(finished.otherWindow);
    EXPECT_EQ(Packages(), XpPackagesBytes());
  }
}

TEST_F(SilentRun, TheUsageIsShownInAMessageBox) {
  SeedXp();
  Finished finished = RunProgram(L" /?");
  EXPECT_EQ(finished.exitCode, 0u);
  ASSERT_EQ(finished.boxes.size(), 1u);
  EXPECT_EQ(finished.boxes[0].rfind(L"Usage: tarnwick.exe [/update]", 0), 0u);
  EXPECT_FALSE(finished.otherWindow);
  EXPECT_EQ(Packages(), XpPackagesBytes());
}

}  // namespace
}  // namespace tarnwick::testing
