// The real program's command line, started from this Windows process with its standard output
// redirected to a file, against the prefix's registry. The exit code is read here in full: a
// Linux exit status keeps only its low 8 bits.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_line.h"
#include "common_app_data.h"
#include "platform/win32/win32_registry.h"
#include "program_path.h"
#include "value_backup.h"
#include "xp_sp3.h"

namespace tarnwick::testing {
namespace {

struct Finished {
  DWORD exitCode = ~DWORD{0};
  std::string output;               // what the program wrote to its standard output
  std::vector<std::wstring> boxes;  // texts of the message boxes it showed, which were closed
  bool otherWindow = false;         // it showed a window that is not a message box
};

struct Search {
  DWORD process;
  Finished* finished;
};

BOOL CALLBACK CloseWindowsOf(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<Search*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->process || !IsWindowVisible(window))
    return TRUE;
  wchar_t className[64] = {};
  GetClassNameW(window, className, 64);
  if (std::wstring(className) == L"#32770") {
    wchar_t text[2048] = {};
    GetDlgItemTextW(window, 0xFFFF, text, 2048);
    search->finished->boxes.emplace_back(text);
    PostMessageW(window, WM_COMMAND, IDOK, 0);
  } else {
    search->finished->otherWindow = true;
    PostMessageW(window, WM_CLOSE, 0, 0);
  }
  return TRUE;
}

Finished RunProgram(const std::wstring& arguments) {
  Finished finished;
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring outputPath = std::wstring(temp) + L"tarnwick-silent-output.txt";
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  HANDLE output = CreateFileW(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_NE(output, INVALID_HANDLE_VALUE);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = output;
  startup.hStdError = output;
  startup.hStdInput = nullptr;
  std::wstring command = L"\"" + ProgramPath() + L"\"" + arguments;
  PROCESS_INFORMATION process = {};
  const BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      nullptr, &startup, &process);
  CloseHandle(output);
  EXPECT_TRUE(started) << "error " << GetLastError();
  if (!started)
    return finished;
  Search search{process.dwProcessId, &finished};
  while (WaitForSingleObject(process.hProcess, 50) == WAIT_TIMEOUT)
    EnumWindows(CloseWindowsOf, reinterpret_cast<LPARAM>(&search));
  GetExitCodeProcess(process.hProcess, &finished.exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);

  HANDLE written = CreateFileW(outputPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(written, buffer, sizeof buffer, &read, nullptr) && read > 0)
    finished.output.append(buffer, read);
  CloseHandle(written);
  DeleteFileW(outputPath.c_str());
  return finished;
}

// The activity log's text ("\r\n" before each entry) as lines on standard output ("\r\n" after
// each), in UTF-8 (the texts here are ASCII).
std::string AsOutputLines(std::u16string_view log) {
  std::string lines(log.begin() + 2, log.end());
  return lines + "\r\n";
}

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
  const std::wstring folder = BackupFolder() + L"\\registry-";
  EXPECT_EQ(backupPath.rfind(std::u16string(folder.begin(), folder.end()), 0), 0u)
      << "the silent run saves its backup in the all-users folder too";
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
