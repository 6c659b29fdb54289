// The real program, driven from this process as a user would drive it: it is started with the
// registry holding Windows XP SP3's two values, its window and controls are found by their
// captions, "Update Authentication Protocols" is pressed, the log and the registry are read,
// and "Close" ends it. The two values are put back afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/form1_texts.h"
#include "common_app_data.h"
#include "memory_registry.h"
#include "placed_credssp.h"
#include "platform/win32/win32_registry.h"
#include "program_path.h"
#include "value_backup.h"
#include "version/rdp_version.h"
#include "xp_sp3.h"

namespace tarnwick::testing {
namespace {

constexpr DWORD kPatienceMs = 20000;

std::wstring W(std::u16string_view text) {
  return std::wstring(text.begin(), text.end());
}

std::wstring TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kPatienceMs, &length))
    return L"<no answer>";
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, kPatienceMs, &copied);
  text.resize(copied);
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

// Remembers one HKLM value (or its absence) and puts it back on exit.
// The started program; ended by force if the test leaves it running.
class Program {
 public:
  explicit Program(std::wstring path) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    std::wstring commandLine = L"\"" + path + L"\"";
    started_ = CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              nullptr, &startup, &process_) != FALSE;
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;
  ~Program() {
    if (!started_)
      return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT)
      TerminateProcess(process_.hProcess, 255);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }

  bool Started() const { return started_; }

  // The program's visible main window, once it has one.
  HWND WaitForWindow() const {
    for (DWORD waited = 0; waited < kPatienceMs; waited += 100) {
      Search search{process_.dwProcessId, nullptr};
      EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&search));
      if (search.found != nullptr)
        return search.found;
      if (WaitForSingleObject(process_.hProcess, 100) != WAIT_TIMEOUT)
        return nullptr;
    }
    return nullptr;
  }

  // The exit code once the program has ended, nothing if it is still running.
  std::optional<DWORD> WaitForExit() const {
    if (WaitForSingleObject(process_.hProcess, kPatienceMs) != WAIT_OBJECT_0)
      return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
  }

 private:
  struct Search {
    DWORD processId;
    HWND found;
  };
  static BOOL CALLBACK FindWindowOf(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window) &&
        TextOf(window) == L"Tarnwick Utility") {
      search->found = window;
      return FALSE;
    }
    return TRUE;
  }

  bool started_ = false;
  PROCESS_INFORMATION process_{};
};

// The window's controls in their sibling order, with their classes and captions.
struct Child {
  HWND window;
  std::wstring className;
  std::wstring text;
};
std::vector<Child> ChildrenOf(HWND parent) {
  std::vector<Child> children;
  for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT))
    children.push_back({child, ClassOf(child), TextOf(child)});
  return children;
}
HWND ByCaption(const std::vector<Child>& children, const std::wstring& className,
               const std::wstring& text) {
  for (const Child& child : children) {
    if (child.className == className && child.text == text)
      return child.window;
  }
  return nullptr;
}

void Click(HWND button) {
  DWORD_PTR result = 0;
  ASSERT_TRUE(SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kPatienceMs, &result));
}

TEST(EndToEnd, TheProgramUpdatesWindowsXpSp3ValuesAndCloses) {
  ResetTarnwickFolders();
  const std::wstring path = ProgramPath();
  ASSERT_FALSE(path.empty()) << "TARNWICK_EXE names the program";
  win32::Win32Registry registry;
  ValueBackup packages(registry, kLsaKey, kPackagesValue);
  ValueBackup providers(registry, kProvidersKey, kProvidersValue);
  const PlacedCredssp credssp;
  ValueBackup::Write(registry, kLsaKey, kPackagesValue, kRegMultiSz, XpPackagesBytes());
  ValueBackup::Write(registry, kProvidersKey, kProvidersValue, kRegSz, SzBytes(kXpProviders));

  Program program(path);
  ASSERT_TRUE(program.Started()) << "cannot start " << std::string(path.begin(), path.end());
  HWND window = program.WaitForWindow();
  ASSERT_NE(window, nullptr) << "no window appeared";

  const std::vector<Child> children = ChildrenOf(window);
  HWND go = ByCaption(children, L"Button", L"Update Authentication Protocols");
  HWND close = ByCaption(children, L"Button", L"Close");
  ASSERT_NE(go, nullptr);
  ASSERT_NE(close, nullptr);
  HWND log = nullptr;
  for (const Child& child : children) {
    if (child.className == L"Edit")
      log = child.window;
  }
  ASSERT_NE(log, nullptr);
  EXPECT_EQ(TextOf(log), L"");

  // Step 1 is filled before the window shows: the label after "Reported Version Is:" holds
  // the version, the one after "This Corresponds To:" what it means.
  HWND reportedCaption = ByCaption(children, L"Static", L"Reported Version Is:");
  HWND meaningCaption = ByCaption(children, L"Static", L"This Corresponds To:");
  ASSERT_NE(reportedCaption, nullptr);
  ASSERT_NE(meaningCaption, nullptr);
  const std::wstring reported = TextOf(GetWindow(reportedCaption, GW_HWNDNEXT));
  const std::wstring meaning = TextOf(GetWindow(meaningCaption, GW_HWNDNEXT));
  std::printf("Wine's client reads as \"%ls\": %ls\n", reported.c_str(), meaning.c_str());
  EXPECT_FALSE(reported.empty());
  EXPECT_EQ(meaning, W(ClassifyRDPVersion(std::u16string(reported.begin(), reported.end()))));

  Click(go);
  const std::wstring firstLog = TextOf(log);
  const std::u16string backupPath = BackupPathIn(std::u16string(firstLog.begin(), firstLog.end()));
  const std::u16string secondPath =
      BackupPathIn(std::u16string(firstLog.begin(), firstLog.end()), true);
  EXPECT_FALSE(backupPath.empty());
  EXPECT_EQ(W(backupPath).rfind(BackupFolder() + L"\\registry-", 0), 0u);
  EXPECT_EQ(firstLog, W(XpFirstRunLog(backupPath, secondPath)));
  const auto storedPackages = ValueBackup::Read(registry, kLsaKey, kPackagesValue);
  const auto storedProviders = ValueBackup::Read(registry, kProvidersKey, kProvidersValue);
  ASSERT_TRUE(storedPackages && storedProviders);
  EXPECT_EQ(storedPackages->type, kRegMultiSz);
  EXPECT_EQ(storedPackages->bytes,
            MultiSzBytes({u"kerberos", u"msv1_0", u"schannel", u"wdigest", u"tspkg"}));
  EXPECT_EQ(storedProviders->type, kRegSz);
  EXPECT_EQ(storedProviders->bytes,
            SzBytes(u"msapsspc.dll, schannel.dll, digest.dll, msnsspc.dll, credssp.dll"));

  Click(go);
  EXPECT_EQ(TextOf(log), W(XpFirstRunLog(backupPath, secondPath) + kXpSecondRunLog));

  Click(close);
  EXPECT_EQ(program.WaitForExit(), std::optional<DWORD>(0));
  EXPECT_FALSE(IsWindow(window));
  EXPECT_TRUE(DeleteFileW(W(backupPath).c_str())) << "the backup files are where the log says";
  EXPECT_TRUE(DeleteFileW(W(secondPath).c_str()));
}

std::string ReadAll(const std::wstring& path) {
  std::string text;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return text;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
    text.append(buffer, read);
  CloseHandle(file);
  return text;
}

// What the program's shell requests reach: Wine passes each URL to the browsers that
// HKCU\Software\Wine\WineBrowser lists, here a script that writes it to a file.
TEST(EndToEnd, TheDownloadButtonsOpenTheirLinksInTheBrowser) {
  wchar_t browser[MAX_PATH] = {};  // a Unix path, for Wine
  GetEnvironmentVariableW(L"TARNWICK_BROWSER", browser, MAX_PATH);
  const std::wstring opened = PathFromEnvironment(L"TARNWICK_OPENED");
  ASSERT_TRUE(browser[0] != L'\0' && !opened.empty()) << "TARNWICK_BROWSER and TARNWICK_OPENED";
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, L"Software\\Wine\\WineBrowser", &key), ERROR_SUCCESS);
  RegSetValueExW(key, L"Browsers", 0, REG_SZ, reinterpret_cast<const BYTE*>(browser),
                 static_cast<DWORD>((wcslen(browser) + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  DeleteFileW(opened.c_str());

  Program program(ProgramPath());
  HWND window = program.WaitForWindow();
  ASSERT_NE(window, nullptr) << "no window appeared";
  const std::vector<Child> children = ChildrenOf(window);
  const std::u16string_view links[] = {kXpDownloadUrl, kVista32DownloadUrl};
  std::string expected;
  for (const wchar_t* caption : {L"Windows XP", L"Windows Vista 32-bit"}) {
    HWND button = ByCaption(children, L"Button", caption);
    ASSERT_NE(button, nullptr);
    Click(button);
    // One at a time: two requests might reach the browser in either order.
    const std::u16string_view link = links[expected.empty() ? 0 : 1];
    expected += std::string(link.begin(), link.end()) + "\n";
    for (DWORD waited = 0; waited < kPatienceMs && ReadAll(opened) != expected; waited += 100)
      Sleep(100);
    EXPECT_EQ(ReadAll(opened), expected);
  }
  EXPECT_TRUE(IsWindowVisible(window));
  Click(ByCaption(children, L"Button", L"Close"));
  EXPECT_EQ(program.WaitForExit(), std::optional<DWORD>(0));
  DeleteFileW(opened.c_str());
}

}  // namespace
}  // namespace tarnwick::testing
