// The main window: a fixed tool window holding one native control per entry of the layout
// table, laid out at the window's resolution, with the handlers of Form1 behind its buttons.
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "app/form1.h"
#include "app/form1_layout.h"
#include "app/form1_view.h"
#include "app/url_opener.h"
#include "app/win32/caption_font.h"
#include "app/win32/desktop_api.h"
#include "app/win32/dpi.h"
#include "app/win32/gdi_handles.h"
#include "platform/registry_ops.h"
#include "platform/system_info.h"
#include "version/version_info.h"

namespace tarnwick::win32 {

struct Form1WindowServices {
  RegistryOps& registry;
  BackupFiles& backups;
  SystemInfoApi& system;
  VersionInfoApi& versions;
  ShellApi& shell;
  MessageBoxApi& messages;
  RunLock& lock;
};

// The program's exit codes.
inline constexpr int kExitClosed = 0;
inline constexpr int kExitRunTimeError = 1;

class Form1Window final : private Form1View, private UrlOpener {
 public:
  // `dpiFunctions`: the resolution functions to use; this Windows' own unless a test chooses.
  Form1Window(HINSTANCE instance, Form1WindowServices services,
              RunTimeFunctions dpiFunctions = RunTimeFunctions::OfThisWindows());
  Form1Window(const Form1Window&) = delete;
  Form1Window& operator=(const Form1Window&) = delete;
  // Destroys a window that is still open without ending the message loop.
  ~Form1Window() override;

  // Creates the window and its controls hidden and runs the load handler, which fills the
  // Step 1 labels and shows the window. False when that failed: the error has been shown and
  // the window is gone.
  bool Load();

  // Dispatches messages until the window has ended; returns the program's exit code.
  int Run();

  HWND Handle() const { return window_; }
  HWND Control(ControlId id) const { return controls_[static_cast<std::size_t>(id)]; }
  int Dpi() const { return dpi_; }
  // The captions' character height in pixels.
  int FontPixelHeight() const { return fontPixelHeight_; }
  HFONT Font() const { return font_.get(); }

 private:
  // Form1View
  void SetReportedVersion(std::u16string_view text) override;
  std::u16string ReportedVersion() const override;
  void SetClassification(std::u16string_view text) override;
  void SetLogText(std::u16string_view text) override;
  void ShowNotice(std::u16string_view text, std::u16string_view title) override;
  void Show() override;
  void Unload() override;

  // UrlOpener: through the shell's "open" verb. An elevated program hands the URL to the
  // desktop's shell, so that the browser, and whatever the user downloads and opens in it, runs
  // as the user and not as administrator; where there is no desktop shell to take it, it opens
  // the URL itself. The shell's answer is not looked at: the default handler takes it from here.
  void OpenUrl(std::u16string_view url) override;

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK LogBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  void Create();
  // Makes every control in its place at the window's resolution, in the caption font.
  void CreateControls();
  // Places the window's frame around a client area of the layout's size at `dpi`; the first
  // time, centred in the work area of the primary monitor.
  void SizeFrame(bool centre);
  // The caption font for `dpi`.
  FittedFont FitFont(int dpi) const;
  // Makes `fitted` the caption font.
  void KeepFont(FittedFont fitted);
  // The caption font, or the dialog font when Windows could make none.
  HFONT CaptionFont() const;
  // Moves every control to its place at `dpi` and gives it the caption font for `dpi`.
  void LayOut(int dpi);
  void OnDpiChanged(int dpi, const RECT& suggested);
  void OnActivate(bool active);
  // The error convention: the error's number and message in a message box, then the end.
  void Fail() noexcept;
  void SetText(ControlId id, std::u16string_view text);

  HINSTANCE instance_;
  Form1WindowServices services_;
  RunTimeFunctions dpiFunctions_;
  Form1 form_;
  HWND window_ = nullptr;
  std::array<HWND, kForm1Controls.size()> controls_{};
  HWND focus_ = nullptr;  // the control to give the focus back to on activation
  int dpi_ = 96;
  UniqueFont font_;
  int fontPixelHeight_ = 0;
  int exitCode_ = kExitClosed;
  bool endLoopOnDestroy_ = true;
};

}  // namespace tarnwick::win32
