// The main window: a fixed tool window holding one native control per entry of the layout
// table, laid out at the window's resolution in a font that fits every caption, with the
// handlers of Form1 behind its buttons.
#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <span>
#include <string>

#include "app/exit_codes.h"
#include "app/form1.h"
#include "app/form1_layout.h"
#include "app/win32/dpi.h"
#include "app/win32/gdi_handles.h"
#include "app/win32/open_as_user.h"

namespace tarnwick::win32 {

// The modal message box. Tests put their own in.
class MessageBoxApi {
 public:
  virtual ~MessageBoxApi() = default;
  // As MessageBoxW: returns when the box is dismissed.
  virtual int Show(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) = 0;
};

class Win32MessageBox final : public MessageBoxApi {
 public:
  int Show(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) override {
    return MessageBoxW(owner, text, caption, type);
  }
};

// The system's message font and the resolution its height is given for.
struct BaseFont {
  LOGFONTW font;
  int dpi;
};
BaseFont MessageFont(const RunTimeFunctions& functions);

// A caption and the control that shows it, in pixels at the resolution being fitted.
struct CaptionBox {
  std::u16string_view text;
  ControlKind kind;
  int width;
  int height;
};

// Whether the caption fits with the font selected into `dc`: a label's text wrapped at word
// boundaries within its width, a button's on one line inside its frame.
bool CaptionFits(HDC dc, const CaptionBox& box, int dpi);

struct FittedFont {
  UniqueFont font;
  int pixelHeight = 0;  // the character height (em size) in pixels
};

// The font of the controls: the face of the system's message font, at the largest size up to
// the message font's own at which every caption fits its control. Tries the base font scaled
// to `dpi`, then one pixel smaller at a time, and keeps the first size at which every caption
// fits (the smallest tried when none does). The font is empty only when Windows could make
// none at all.
FittedFont FitCaptionFont(const BaseFont& base, int dpi, std::span<const CaptionBox> captions);

class Form1Window final : private Form1View {
 public:
  // The window's resolution comes from `functions`, which a test may give as an older Windows'
  // and which must outlive the window.
  Form1Window(HINSTANCE instance, Form1Services services, ShellApi& shell, MessageBoxApi& messages,
              const RunTimeFunctions& functions);
  Form1Window(HINSTANCE, Form1Services, ShellApi&, MessageBoxApi&, RunTimeFunctions&&) = delete;
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
  int FontPixelHeight() const { return font_.pixelHeight; }
  HFONT Font() const { return font_.font.get(); }

 private:
  // Form1View. A label or box whose text cannot be set or read raises Windows' failure as a
  // run-time error.
  void SetReportedVersion(std::u16string_view text) override;
  std::u16string ReportedVersion() const override;
  void SetClassification(std::u16string_view text) override;
  void SetLogText(std::u16string_view text) override;
  void ShowNotice(std::u16string_view text, std::u16string_view title) override;
  void OpenUrl(std::u16string_view url) override;
  void Show() override;
  void Unload() override;

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK LogBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  // Makes the hidden frame and every control in its place at the window's resolution, in the
  // caption font; Windows' failure when one could not be made.
  std::optional<SystemError> Create();
  // Places the window's frame around a client area of the layout's size at `dpi`; the first
  // time, centred in the work area of the primary monitor.
  void SizeFrame(bool centre);
  // Makes the caption font for `dpi` the window's; returns the one it had.
  FittedFont FitFont(int dpi);
  // The caption font, or the dialog font when Windows could make none.
  HFONT CaptionFont() const;
  // Moves every control to its place at `dpi` and gives it the caption font for `dpi`.
  void LayOut(int dpi);
  void OnDpiChanged(int dpi, const RECT& suggested);
  void OnActivate(bool active);
  // The error convention: the run-time error's number and message in a message box, then the
  // end.
  void Fail(const SystemError& error) noexcept;
  void SetText(ControlId id, std::u16string_view text);

  HINSTANCE instance_;
  ShellApi& shell_;
  MessageBoxApi& messages_;
  const RunTimeFunctions& functions_;
  Form1 form_;
  HWND window_ = nullptr;
  std::array<HWND, kForm1Controls.size()> controls_{};
  HWND focus_ = nullptr;  // the control to give the focus back to on activation
  int dpi_ = 96;
  FittedFont font_;
  int exitCode_ = kExitClosed;
  bool endLoopOnDestroy_ = true;
};

}  // namespace tarnwick::win32
