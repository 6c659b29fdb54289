// The main window in this process: a real window with real controls, over an in-memory
// registry, a fake system and version information, and a recording shell and message box.
// The same tests run once per screen resolution: TARNWICK_WINE_DPI names the one this run's
// desktop is set to (96 when unset).
#include "app/win32/form1_window.h"

#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/form1_texts.h"
#include "app/win32/dpi.h"
#include "app/win32/gdi_handles.h"
#include "fake_backup_folder_ops.h"
#include "fake_desktop.h"
#include "fake_system_info.h"
#include "fake_version_info.h"
#include "memory_registry.h"
#include "refusing_registry.h"
#include "xp_sp3.h"

namespace tarnwick::testing {
namespace {

using win32::Form1Window;

constexpr std::u16string_view kClient = u"C:\\Windows\\system32\\mstsc.exe";
constexpr wchar_t kRow1[] = L"RDP Version 7.0 - No need to install update. Proceed to step #3.";

// The resolution this run's desktop is set to.
int DesktopDpi() {
  wchar_t buffer[16] = {};
  const DWORD length = GetEnvironmentVariableW(L"TARNWICK_WINE_DPI", buffer, 16);
  const int dpi = length > 0 && length < 16 ? _wtoi(buffer) : 0;
  return dpi > 0 ? dpi : 96;
}

// The resolution functions as the Windows version that this system reports would offer them:
// none on Windows XP, whatever user32 has on later ones. Under a prefix set to Windows XP the
// window thus takes the path it takes on XP, although Wine's user32 has the newer functions.
win32::RunTimeFunctions ReportedDpiFunctions() {
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof(version);
  if (GetVersionExW(&version) && version.dwMajorVersion < 6)
    return {};
  return win32::RunTimeFunctions::OfThisWindows();
}

// Whether `actual` is `twips` at `dpi` within one pixel.
bool NearTwips(int actual, int twips, int dpi) {
  return std::abs(actual * 1440 - twips * dpi) <= 1440;
}

std::wstring W(std::u16string_view text) {
  return std::wstring(text.begin(), text.end());
}

std::wstring TextOf(HWND window) {
  const auto length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const auto copied = SendMessageW(window, WM_GETTEXT, static_cast<WPARAM>(text.size()),
                                   reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(copied));
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

PixelRect RectInParent(HWND child) {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return {r.left, r.top, r.right, r.bottom};
}

// Whether a top-level window of this thread with the main window's caption is visible now.
struct CaptionSearch {
  bool found = false;
  bool visible = false;
};
BOOL CALLBACK FindMainWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<CaptionSearch*>(param);
  if (TextOf(window) == W(kWindowCaption)) {
    search->found = true;
    search->visible = IsWindowVisible(window) != FALSE;
  }
  return TRUE;
}
CaptionSearch SearchMainWindow() {
  CaptionSearch search;
  EnumThreadWindows(GetCurrentThreadId(), FindMainWindow, reinterpret_cast<LPARAM>(&search));
  return search;
}

// The version information as the fake has it, noting whether the window was on the screen
// when the client's version was read.
class WatchedVersions final : public VersionInfoApi {
 public:
  explicit WatchedVersions(VersionInfoApi& inner) : inner_(inner) {}
  std::vector<CaptionSearch> readsWhile;

  std::uint32_t GetFileVersionInfoSize(std::u16string_view path) override {
    readsWhile.push_back(SearchMainWindow());
    return inner_.GetFileVersionInfoSize(path);
  }
  bool GetFileVersionInfo(std::u16string_view path, std::span<std::byte> block) override {
    return inner_.GetFileVersionInfo(path, block);
  }
  std::optional<std::span<const std::byte>> VerQueryValue(std::span<const std::byte> block,
                                                          std::u16string_view subBlock) override {
    return inner_.VerQueryValue(block, subBlock);
  }

 private:
  VersionInfoApi& inner_;
};

// A registry whose reads fail with a run-time error.
class BrokenRegistry final : public testing::RefusingRegistry {
 public:
  SystemError OpenKey(RegKey, std::u16string_view, std::uint32_t, std::uint32_t, RegKey&) override {
    throw SystemError(5, u"Access is denied.");
  }
};

class ThrowingSystemInfo final : public SystemInfoApi {
 public:
  std::uint32_t GetSystemDirectory(std::span<char16_t>) override {
    throw SystemError(53, u"File not found");
  }
  bool GetComputerName(std::span<char16_t>, std::uint32_t&) override { return false; }
  bool GetUserName(std::span<char16_t>, std::uint32_t&) override { return false; }
  bool GetWindowsVersion(WindowsVersion&) override { return false; }
  bool IsNativeFile(std::u16string_view) override { return false; }
};

void CALLBACK Watchdog(HWND, UINT, UINT_PTR, DWORD) {
  PostQuitMessage(99);
}

// Runs the window's message loop; a loop still running after five seconds is ended with 99.
int RunGuarded(Form1Window& window) {
  const UINT_PTR timer = SetTimer(nullptr, 0, 5000, Watchdog);
  const int code = window.Run();
  KillTimer(nullptr, timer);
  return code;
}

// Handles whatever is queued, so that nothing (a quit message least of all) is left for the
// next test; returns whether a quit message was among it.
bool DrainMessages() {
  bool quit = false;
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      quit = true;
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return quit;
}

// Presses Tab (with Shift when `back`) as the message loop would see it.
void PressTab(HWND window, bool back) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  const BYTE shift = keys[VK_SHIFT];
  keys[VK_SHIFT] = back ? 0x80 : 0;
  SetKeyboardState(keys);
  MSG message{GetFocus(), WM_KEYDOWN, VK_TAB, 0x000F0001, 0, {}};
  IsDialogMessageW(window, &message);
  keys[VK_SHIFT] = shift;
  SetKeyboardState(keys);
}

class Form1WindowTest : public ::testing::Test {
 protected:
  Form1WindowTest() {
    InstallClient(u"6.1.7600.16385");
    SeedXpSp3(registry_);
  }
  ~Form1WindowTest() override { DrainMessages(); }

  void InstallClient(std::u16string_view version) { versions_.SetFileVersion(kClient, version); }

  std::unique_ptr<Form1Window> Make(Form1Services services) {
    return std::make_unique<Form1Window>(GetModuleHandleW(nullptr), services, shell_, messages_,
                                         functions_);
  }

  // A loaded window, shown on the screen.
  Form1Window& Loaded() {
    window_ = Make({registry_, backups_, system_, watched_, lock_});
    EXPECT_TRUE(window_->Load());
    DrainMessages();
    return *window_;
  }

  HWND Control(ControlId id) { return window_->Control(id); }
  void Click(ControlId id) { SendMessageW(Control(id), BM_CLICK, 0, 0); }

  // The text of every control, to see that nothing changed.
  std::map<ControlId, std::wstring> AllTexts() {
    std::map<ControlId, std::wstring> texts;
    for (const ControlEntry& entry : kForm1Controls)
      texts[entry.id] = TextOf(Control(entry.id));
    return texts;
  }

  MemoryRegistry registry_;
  FakeBackupFolderOps backupOps_;
  BackupFiles backups_{backupOps_};
  FakeSystemInfo system_;
  FakeVersionInfo versions_;
  WatchedVersions watched_{versions_};
  FakeShell shell_;
  FakeMessageBox messages_;
  RunLock lock_{backupOps_};
  win32::RunTimeFunctions functions_ = ReportedDpiFunctions();
  std::unique_ptr<Form1Window> window_;
};

// The frame is centred in the work area of the primary monitor, to the pixel.
void ExpectCentredInTheWorkArea(HWND frame) {
  RECT outer{};
  GetWindowRect(frame, &outer);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(frame, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& work = monitor.rcWork;
  EXPECT_LE(std::abs((outer.left + outer.right) - (work.left + work.right)), 1);
  EXPECT_LE(std::abs((outer.top + outer.bottom) - (work.top + work.bottom)), 1);
}

TEST_F(Form1WindowTest, FirstShownWithTheVersionCheckDoneAndTheFocusOnRefresh) {
  Form1Window& window = Loaded();
  ASSERT_EQ(watched_.readsWhile.size(), 1u);
  EXPECT_TRUE(watched_.readsWhile[0].found) << "the check runs in the load, with the window made";
  EXPECT_FALSE(watched_.readsWhile[0].visible) << "the check runs before the window is shown";

  EXPECT_TRUE(IsWindowVisible(window.Handle()));
  EXPECT_EQ(TextOf(Control(ControlId::lblOSVersion)), L"6.1.7600.16385");
  EXPECT_EQ(TextOf(Control(ControlId::lblRDPVersion)), kRow1);
  EXPECT_EQ(TextOf(Control(ControlId::txtLog)), L"");
  EXPECT_EQ(GetFocus(), Control(ControlId::cmdRefreshVersion));
  EXPECT_TRUE(messages_.calls.empty());
}

TEST_F(Form1WindowTest, RefreshReadsTheClientAgain) {
  Loaded();
  InstallClient(u"6.0.6001.18000");
  Click(ControlId::cmdRefreshVersion);
  EXPECT_EQ(TextOf(Control(ControlId::lblOSVersion)), L"6.0.6001.18000");
  EXPECT_EQ(TextOf(Control(ControlId::lblRDPVersion)),
            L"RDP Version 6.1 - Please proceed to step #2.");
}

TEST_F(Form1WindowTest, AFixedCentredToolWindowWithItsOwnIcon) {
  Form1Window& window = Loaded();
  HWND frame = window.Handle();
  EXPECT_EQ(TextOf(frame), L"Tarnwick Utility");
  const LONG_PTR style = GetWindowLongPtrW(frame, GWL_STYLE);
  const LONG_PTR exStyle = GetWindowLongPtrW(frame, GWL_EXSTYLE);
  EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU), WS_CAPTION | WS_SYSMENU);
  EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
  EXPECT_EQ(exStyle & (WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT),
            WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT);
  EXPECT_EQ(exStyle & WS_EX_APPWINDOW, 0);
  EXPECT_EQ(GetParent(frame), nullptr);

  RECT client{};
  GetClientRect(frame, &client);
  const int dpi = DesktopDpi();
  EXPECT_EQ(window.Dpi(), dpi) << "the window follows the desktop's resolution";
  EXPECT_EQ(PixelRect({0, 0, client.right, client.bottom}), ClientPixels(dpi));
  EXPECT_TRUE(NearTwips(client.right, 10335, dpi)) << client.right;
  EXPECT_TRUE(NearTwips(client.bottom, 9030, dpi)) << client.bottom;
  if (dpi == 96) {
    EXPECT_EQ(client.right, 689);
    EXPECT_EQ(client.bottom, 602);
  }

  ExpectCentredInTheWorkArea(frame);

  // The window's own icon is its class's, which the shell shows wherever the window has set
  // none itself.
  auto icon = reinterpret_cast<HICON>(GetClassLongPtrW(frame, GCLP_HICON));
  ASSERT_NE(icon, nullptr);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(icon, &info));
  BITMAP bitmap{};
  GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap);
  EXPECT_EQ(bitmap.bmWidth, 32);
  EXPECT_EQ(bitmap.bmHeight, 32);
  EXPECT_NE(icon, LoadIconW(nullptr, IDI_APPLICATION)) << "the program's own icon";
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
}

// A system resolution other than the window's: the primary monitor's scale changed since the
// user logged on, which the system's resolution does not follow.
UINT WINAPI OtherThanTheDesktopsDpi() {
  return DesktopDpi() < 144 ? 144 : 96;
}

TEST_F(Form1WindowTest, AFrameMadeForTheSystemsResolutionIsSizedForTheWindowsOwn) {
  functions_.GetDpiForSystem = OtherThanTheDesktopsDpi;
  window_ = Make({registry_, backups_, system_, watched_, lock_});
  ASSERT_TRUE(window_->Load());
  DrainMessages();
  HWND frame = window_->Handle();
  const int dpi = DesktopDpi();
  ASSERT_EQ(window_->Dpi(), dpi);

  RECT client{};
  GetClientRect(frame, &client);
  EXPECT_EQ(PixelRect({0, 0, client.right, client.bottom}), ClientPixels(dpi));
  ExpectCentredInTheWorkArea(frame);
  for (const ControlEntry& entry : kForm1Controls) {
    EXPECT_EQ(RectInParent(Control(entry.id)), ControlPixels(entry, dpi))
        << static_cast<int>(entry.id);
  }
}

TEST_F(Form1WindowTest, EveryControlWithItsCaptionPlaceAndTabStop) {
  Loaded();
  const int dpi = DesktopDpi();
  for (const ControlEntry& entry : kForm1Controls) {
    SCOPED_TRACE(static_cast<int>(entry.id));
    HWND control = Control(entry.id);
    ASSERT_NE(control, nullptr);
    EXPECT_TRUE(IsWindowVisible(control));
    const PixelRect rect = RectInParent(control);
    EXPECT_EQ(rect, ControlPixels(entry, dpi));
    if (entry.kind != ControlKind::kLine) {
      const TwipRect& twips = entry.rect;
      EXPECT_TRUE(NearTwips(rect.left, twips.left, dpi) && NearTwips(rect.top, twips.top, dpi) &&
                  NearTwips(rect.width(), twips.width, dpi) &&
                  NearTwips(rect.height(), twips.height, dpi));
    }
    const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
    EXPECT_EQ((style & WS_TABSTOP) != 0, TakesFocus(entry.kind));
    EXPECT_NE(style & WS_CLIPSIBLINGS, 0);
    if (entry.id != ControlId::lblOSVersion && entry.id != ControlId::lblRDPVersion) {
      EXPECT_EQ(TextOf(control), W(entry.caption));
    }
    switch (entry.kind) {
      case ControlKind::kLabel:
        EXPECT_EQ(ClassOf(control), L"Static");
        EXPECT_EQ(style & SS_TYPEMASK, SS_LEFT);
        break;
      case ControlKind::kButton:
        EXPECT_EQ(ClassOf(control), L"Button");
        EXPECT_EQ(style & BS_TYPEMASK, BS_PUSHBUTTON);
        break;
      case ControlKind::kLogBox:
        EXPECT_EQ(ClassOf(control), L"Edit");
        EXPECT_EQ(style & (ES_MULTILINE | ES_READONLY | WS_VSCROLL | WS_HSCROLL),
                  ES_MULTILINE | ES_READONLY | WS_VSCROLL);
        break;
      case ControlKind::kLine:
        EXPECT_EQ(ClassOf(control), L"Static");
        EXPECT_EQ(style & SS_TYPEMASK, SS_BLACKRECT);
        EXPECT_TRUE(NearTwips(rect.height(), kLineThicknessTwips, dpi)) << rect.height();
        break;
    }
  }
}

TEST_F(Form1WindowTest, DownloadButtonsLieOnTopOfLabel1AndSeparatorsOnTheLabels) {
  Form1Window& window = Loaded();
  std::vector<HWND> zOrder;
  for (HWND child = GetWindow(window.Handle(), GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT))
    zOrder.push_back(child);
  std::vector<HWND> created;
  for (const ControlEntry* entry : CreationOrder())
    created.push_back(Control(entry->id));
  EXPECT_EQ(zOrder, created);

  for (ControlId id : {ControlId::cmdXP, ControlId::cmdVista32, ControlId::cmdVista64,
                       ControlId::cmdWindows7, ControlId::Line_1, ControlId::Line_4}) {
    const PixelRect r = ControlPixels(Form1Control(id), DesktopDpi());
    const POINT inside{r.left + 2, r.top};
    EXPECT_EQ(ChildWindowFromPointEx(window.Handle(), inside, CWP_ALL), Control(id))
        << static_cast<int>(id);
  }
}

// The room a caption needs in `font`, measured as the control draws it: a label's text wrapped
// at word boundaries within the label's width, a button's on one line.
SIZE Needed(HWND control, HFONT font, ControlKind kind, int width) {
  win32::ScreenDc dc(GetDC(nullptr));
  win32::SelectedObject selected(dc.get(), font);
  const std::wstring text = TextOf(control);
  RECT needed{0, 0, width, 0};
  const UINT format = kind == ControlKind::kButton ? DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX
                                                   : DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX;
  DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &needed, format);
  return {needed.right - needed.left, needed.bottom - needed.top};
}

TEST_F(Form1WindowTest, CaptionsUseTheMessageFontFaceAtTheLargestSizeThatFits) {
  InstallClient(u"6.0.6002.18005");  // the classification's two-line row
  Form1Window& window = Loaded();
  const int dpi = DesktopDpi();
  const win32::BaseFont base = win32::MessageFont(functions_);
  LOGFONTW used{};
  ASSERT_TRUE(GetObjectW(window.Font(), sizeof(used), &used));
  EXPECT_STREQ(used.lfFaceName, base.font.lfFaceName);
  const int baseHeight = MulDiv(std::abs(base.font.lfHeight), dpi, base.dpi);
  EXPECT_LE(window.FontPixelHeight(), baseHeight);
  EXPECT_EQ(-used.lfHeight, window.FontPixelHeight());
  std::printf("message font: %ls, %d px; captions: %d px (%.2f pt) at %d dpi\n",
              base.font.lfFaceName, baseHeight, window.FontPixelHeight(),
              window.FontPixelHeight() * 72.0 / dpi, dpi);

  // Every caption, as shown, fits its control in the chosen font.
  for (const ControlEntry& entry : kForm1Controls) {
    if (entry.kind == ControlKind::kLine)
      continue;
    SCOPED_TRACE(static_cast<int>(entry.id));
    HWND control = Control(entry.id);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), window.Font());
    if (entry.kind == ControlKind::kLogBox)
      continue;
    RECT box{};
    GetClientRect(control, &box);
    const SIZE needed = Needed(control, window.Font(), entry.kind, box.right);
    EXPECT_LE(needed.cx, box.right);
    EXPECT_LE(needed.cy, box.bottom);
  }

  // The largest size: one pixel more and some caption would not fit.
  if (window.FontPixelHeight() < baseHeight) {
    LOGFONTW larger = used;
    larger.lfHeight -= 1;
    win32::UniqueFont font(CreateFontIndirectW(&larger));
    win32::ScreenDc dc(GetDC(nullptr));
    win32::SelectedObject selected(dc.get(), font.get());
    bool allFit = true;
    for (const CaptionToFit& caption : CaptionsToFit()) {
      const PixelRect r = ControlPixels(*caption.control, dpi);
      allFit = allFit &&
               win32::CaptionFits(
                   dc.get(), {caption.text, caption.control->kind, r.width(), r.height()}, dpi);
    }
    EXPECT_FALSE(allFit) << "one pixel more would have fitted";
  }
}

TEST_F(Form1WindowTest, TheCaptionFontGrowsWithTheResolution) {
  Form1Window& window = Loaded();
  const win32::BaseFont base = win32::MessageFont(functions_);
  int previous = 0;
  for (int dpi : {96, 120, 144, 192}) {
    std::vector<win32::CaptionBox> boxes;
    for (const CaptionToFit& caption : CaptionsToFit()) {
      const PixelRect r = ControlPixels(*caption.control, dpi);
      boxes.push_back({caption.text, caption.control->kind, r.width(), r.height()});
    }
    const win32::FittedFont fitted = win32::FitCaptionFont(base, dpi, boxes);
    EXPECT_GT(fitted.pixelHeight, previous) << dpi << " dpi";
    previous = fitted.pixelHeight;
    if (dpi == window.Dpi()) {
      EXPECT_EQ(fitted.pixelHeight, window.FontPixelHeight()) << "the window's own resolution";
    }
  }
}

TEST_F(Form1WindowTest, WithoutThePerMonitorFunctionsTheResolutionIsTheScreens) {
  Form1Window& window = Loaded();
  const win32::RunTimeFunctions none{};
  EXPECT_EQ(win32::WindowDpi(window.Handle(), none), DesktopDpi());
  EXPECT_EQ(win32::SystemDpi(none), DesktopDpi());
  EXPECT_EQ(win32::WindowDpi(window.Handle(), win32::RunTimeFunctions::OfThisWindows()),
            DesktopDpi());
  EXPECT_EQ(win32::MessageFont(none).dpi, DesktopDpi());
}

TEST_F(Form1WindowTest, TabWalksTheButtonsTheLogAndCloseAndComesBack) {
  Form1Window& window = Loaded();
  const std::vector<ControlId> order = {
      ControlId::cmdRefreshVersion, ControlId::cmdXP, ControlId::cmdVista32, ControlId::cmdVista64,
      ControlId::cmdWindows7,       ControlId::cmdGo, ControlId::txtLog,     ControlId::cmdClose};
  ASSERT_EQ(GetFocus(), Control(order[0]));
  for (std::size_t step = 1; step <= order.size(); ++step) {
    PressTab(window.Handle(), false);
    EXPECT_EQ(GetFocus(), Control(order[step % order.size()])) << "Tab " << step;
  }
  for (std::size_t step = order.size(); step-- > 0;) {
    PressTab(window.Handle(), true);
    EXPECT_EQ(GetFocus(), Control(order[step])) << "Shift+Tab to " << step;
  }
  EXPECT_TRUE(messages_.calls.empty());
  EXPECT_TRUE(shell_.requests.empty());
}

TEST_F(Form1WindowTest, EnterPressesTheFocusedButton) {
  Form1Window& window = Loaded();
  SetFocus(Control(ControlId::cmdWindows7));
  MSG enter{GetFocus(), WM_KEYDOWN, VK_RETURN, 0x001C0001, 0, {}};
  EXPECT_TRUE(IsDialogMessageW(window.Handle(), &enter));
  EXPECT_EQ(messages_.calls.size(), 1u);
  SetFocus(Control(ControlId::txtLog));
  enter.hwnd = GetFocus();
  IsDialogMessageW(window.Handle(), &enter);
  EXPECT_EQ(messages_.calls.size(), 1u);
  EXPECT_TRUE(IsWindow(window.Handle()));
}

TEST_F(Form1WindowTest, UpdateButtonWritesTheLogAndASecondClickAppendsASecondRun) {
  Loaded();
  Click(ControlId::cmdGo);
  EXPECT_EQ(TextOf(Control(ControlId::txtLog)),
            W(XpFirstRunLog(FakeBackupFolderOps::BackupPath(u"registry-000001"),
                            FakeBackupFolderOps::BackupPath(u"registry-000002"))));
  EXPECT_EQ(registry_.Find(kHkeyLocalMachine, kLsaKey, kPackagesValue)->bytes,
            MultiSzBytes({u"kerberos", u"msv1_0", u"schannel", u"wdigest", u"tspkg"}));
  Click(ControlId::cmdGo);
  EXPECT_EQ(TextOf(Control(ControlId::txtLog)),
            W(XpFirstRunLog(FakeBackupFolderOps::BackupPath(u"registry-000001"),
                            FakeBackupFolderOps::BackupPath(u"registry-000002")) +
              kXpSecondRunLog));
  EXPECT_TRUE(messages_.calls.empty());
}

TEST_F(Form1WindowTest, EachDownloadClickIsOneShellRequestForItsHttpsLink) {
  Form1Window& window = Loaded();
  const std::pair<ControlId, std::u16string_view> buttons[] = {
      {ControlId::cmdXP, kXpDownloadUrl},
      {ControlId::cmdVista32, kVista32DownloadUrl},
      {ControlId::cmdVista64, kVista64DownloadUrl}};
  std::vector<std::wstring> expected;
  for (const auto& [id, url] : buttons) {
    for (int click = 0; click < 2; ++click) {
      Click(id);
      expected.push_back(W(url));
    }
  }
  ASSERT_EQ(shell_.requests.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const ShellRequest& request = shell_.requests[i];
    EXPECT_EQ(request.file, expected[i]);
    EXPECT_EQ(request.file.rfind(L"https://download.microsoft.com/download/", 0), 0u);
    EXPECT_EQ(request.owner, window.Handle());
    EXPECT_EQ(request.verb, L"open");
    EXPECT_EQ(request.parameters, L"<null>");
    EXPECT_EQ(request.directory, L"<null>");
    EXPECT_EQ(request.showCommand, SW_SHOW);
  }
  EXPECT_TRUE(messages_.calls.empty());
}

TEST_F(Form1WindowTest, AnElevatedProgramHandsTheLinkToTheDesktopsShellWhereThereIsOne) {
  Form1Window& window = Loaded();
  const struct {
    bool elevated, desktop, onDesktop;
  } cases[] = {{true, true, true}, {true, false, false}, {false, true, false}};
  for (const auto& c : cases) {
    shell_.elevated = c.elevated;
    shell_.desktop = c.desktop;
    shell_.requests.clear();
    shell_.desktopRequests.clear();
    Click(ControlId::cmdVista32);
    SCOPED_TRACE(::testing::Message() << "elevated " << c.elevated << ", desktop " << c.desktop);
    ASSERT_EQ(shell_.desktopRequests.size(), c.onDesktop ? 1u : 0u);
    ASSERT_EQ(shell_.requests.size(), c.onDesktop ? 0u : 1u);
    if (c.onDesktop) {
      EXPECT_EQ(shell_.desktopRequests[0].first, L"open");
      EXPECT_EQ(shell_.desktopRequests[0].second, W(kVista32DownloadUrl));
    } else {
      EXPECT_EQ(shell_.requests[0].owner, window.Handle());
      EXPECT_EQ(shell_.requests[0].file, W(kVista32DownloadUrl));
    }
  }
  EXPECT_TRUE(messages_.calls.empty());
}

TEST_F(Form1WindowTest, AFailingShellShowsNothingAndChangesNothing) {
  Form1Window& window = Loaded();
  const auto before = AllTexts();
  for (bool throws : {false, true}) {
    shell_.result = SE_ERR_NOASSOC;
    shell_.throws = throws;
    Click(ControlId::cmdXP);
    Click(ControlId::cmdVista64);
  }
  EXPECT_EQ(shell_.requests.size(), 4u);
  EXPECT_TRUE(messages_.calls.empty());
  EXPECT_TRUE(IsWindowVisible(window.Handle()));
  EXPECT_EQ(AllTexts(), before);
  EXPECT_FALSE(DrainMessages()) << "the program did not end";
}

TEST_F(Form1WindowTest, Windows7ShowsTheModalNoticeAndOpensNothing) {
  Form1Window& window = Loaded();
  Click(ControlId::cmdWindows7);
  ASSERT_EQ(messages_.calls.size(), 1u);
  const MessageBoxCall& call = messages_.calls[0];
  EXPECT_EQ(call.text, L"Remote Desktop version 7.1 is already available on Windows 7 and higher.");
  EXPECT_EQ(call.caption, L"Tarnwick");
  EXPECT_EQ(call.type, static_cast<UINT>(MB_OK));
  EXPECT_EQ(call.owner, window.Handle());
  EXPECT_TRUE(shell_.requests.empty());
  EXPECT_TRUE(IsWindowVisible(window.Handle()));
}

TEST_F(Form1WindowTest, CloseEndsTheMessageLoop) {
  Form1Window& window = Loaded();
  PostMessageW(Control(ControlId::cmdClose), BM_CLICK, 0, 0);
  EXPECT_EQ(RunGuarded(window), kExitClosed);
  EXPECT_EQ(window.Handle(), nullptr);
  EXPECT_FALSE(SearchMainWindow().found);
  EXPECT_TRUE(messages_.calls.empty());
}

TEST_F(Form1WindowTest, TheTitleBarCloseControlEndsTheMessageLoop) {
  Form1Window& window = Loaded();
  PostMessageW(window.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(RunGuarded(window), kExitClosed);
  EXPECT_EQ(window.Handle(), nullptr);
}

TEST_F(Form1WindowTest, AnErrorInAHandlerIsShownAndEndsTheProgram) {
  BrokenRegistry broken;
  window_ = Make({broken, backups_, system_, versions_, lock_});
  ASSERT_TRUE(window_->Load());
  HWND frame = window_->Handle();
  PostMessageW(Control(ControlId::cmdGo), BM_CLICK, 0, 0);
  EXPECT_EQ(RunGuarded(*window_), kExitRunTimeError);
  ASSERT_EQ(messages_.calls.size(), 1u);
  EXPECT_EQ(messages_.calls[0].text, W(RunTimeErrorText({5, u"Access is denied."})));
  EXPECT_EQ(messages_.calls[0].caption, L"Tarnwick");
  EXPECT_EQ(messages_.calls[0].owner, frame);
  EXPECT_FALSE(IsWindow(frame));
}

TEST_F(Form1WindowTest, AnErrorWhileLoadingEndsTheProgramBeforeTheWindowIsShown) {
  ThrowingSystemInfo system;
  window_ = Make({registry_, backups_, system, versions_, lock_});
  EXPECT_FALSE(window_->Load());
  ASSERT_EQ(messages_.calls.size(), 1u);
  EXPECT_EQ(messages_.calls[0].text, W(RunTimeErrorText({53, u"File not found"})));
  EXPECT_EQ(messages_.calls[0].caption, L"Tarnwick");
  EXPECT_EQ(messages_.calls[0].owner, nullptr) << "the window never appeared";
  EXPECT_EQ(window_->Handle(), nullptr);
  EXPECT_TRUE(DrainMessages()) << "the message loop would end at once";
}

TEST_F(Form1WindowTest, ANewResolutionLaysEverythingOutAgain) {
  Form1Window& window = Loaded();
  const int heightBefore = window.FontPixelHeight();
  RECT suggested{};
  GetWindowRect(window.Handle(), &suggested);
  suggested.right = suggested.left + 1100;
  suggested.bottom = suggested.top + 1000;
  const int newDpi = DesktopDpi() < 144 ? 144 : 96;
  SendMessageW(window.Handle(), win32::kWmDpiChanged, MAKEWPARAM(newDpi, newDpi),
               reinterpret_cast<LPARAM>(&suggested));

  EXPECT_EQ(window.Dpi(), newDpi);
  RECT client{};
  GetClientRect(window.Handle(), &client);
  EXPECT_EQ(PixelRect({0, 0, client.right, client.bottom}), ClientPixels(newDpi));
  RECT outer{};
  GetWindowRect(window.Handle(), &outer);
  EXPECT_EQ(outer.left, suggested.left);
  EXPECT_EQ(outer.top, suggested.top);
  for (const ControlEntry& entry : kForm1Controls) {
    EXPECT_EQ(RectInParent(Control(entry.id)), ControlPixels(entry, newDpi))
        << static_cast<int>(entry.id);
    if (entry.kind != ControlKind::kLine) {
      EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(Control(entry.id), WM_GETFONT, 0, 0)),
                window.Font());
    }
  }
  if (newDpi > DesktopDpi()) {
    EXPECT_GT(window.FontPixelHeight(), heightBefore);
  } else {
    EXPECT_LT(window.FontPixelHeight(), heightBefore);
  }
}

}  // namespace
}  // namespace tarnwick::testing
