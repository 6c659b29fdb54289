#include "app/win32/form1_window.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <utility>
#include <vector>

#include "app/form1_texts.h"
#include "app/win32/control_classes.h"
#include "app/win32/resource_ids.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/windows_error.h"

namespace tarnwick::win32 {
namespace {

constexpr wchar_t kClassName[] = L"Tarnwick.Form1";
// Control identifiers start clear of IDOK and IDCANCEL, which the dialog keys send.
constexpr int kFirstControlId = 100;

int CommandId(ControlId id) {
  return kFirstControlId + static_cast<int>(id);
}

std::optional<ControlId> FromCommandId(int command) {
  const int index = command - kFirstControlId;
  if (index < 0 || index >= static_cast<int>(kForm1Controls.size()))
    return std::nullopt;
  return static_cast<ControlId>(index);
}

const wchar_t* WideText(std::u16string_view text) {
  return reinterpret_cast<const wchar_t*>(text.data());
}

HICON LoadAppIcon(HINSTANCE instance, int size) {
  auto icon = static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(TARNWICK_ICON), IMAGE_ICON, size, size, LR_SHARED));
  return icon != nullptr ? icon : LoadIconW(nullptr, IDI_APPLICATION);
}

bool RegisterWindowClass(HINSTANCE instance, WNDPROC proc) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = proc;
  windowClass.hInstance = instance;
  // The window's icon is its class's. Set once more on the window itself (WM_SETICON), the same
  // image would only be converted for the window system again.
  windowClass.hIcon = LoadAppIcon(instance, 32);
  windowClass.hIconSm = LoadAppIcon(instance, 16);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClassName;
  return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// A frame of `width` by `height` pixels, centred in the work area of the primary monitor.
RECT CentredInWorkArea(int width, int height) {
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info))
    work = info.rcWork;
  const int left = work.left + ((work.right - work.left) - width) / 2;
  const int top = work.top + ((work.bottom - work.top) - height) / 2;
  return {left, top, left + width, top + height};
}

// The size of the window's frame around a client area of the layout's size at `dpi`, by the
// system's measure of the borders.
SIZE FrameSize(int dpi) {
  const PixelRect client = ClientPixels(dpi);
  RECT frame{0, 0, client.width(), client.height()};
  AdjustWindowRectEx(&frame, kFrameStyle, FALSE, kFrameExStyle);
  return {frame.right - frame.left, frame.bottom - frame.top};
}

constexpr int kSmallestPixelHeight = 6;
// Room a push button keeps between its edge and its caption, at 96 dpi.
constexpr int kButtonMarginX = 5;
constexpr int kButtonMarginY = 3;

int CharacterHeight(const LOGFONTW& font, int dpi) {
  // A positive height is a cell height; as a character height it is near enough.
  int height = std::abs(font.lfHeight);
  return height != 0 ? height : MulDiv(8, dpi, 72);
}

}  // namespace

BaseFont MessageFont(const RunTimeFunctions& functions) {
  BaseFont base{};
  base.dpi = SystemDpi(functions);
  // Windows XP refuses the larger structure of later systems (with iPaddedBorderWidth); later
  // systems take XP's too, which is the one the headers give at the build's WINVER.
  static_assert(sizeof(NONCLIENTMETRICSW) ==
                offsetof(NONCLIENTMETRICSW, lfMessageFont) + sizeof(LOGFONTW));
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
    base.font = metrics.lfMessageFont;
  else  // the dialog font stands in when the system will not say
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(base.font), &base.font);
  return base;
}

bool CaptionFits(HDC dc, const CaptionBox& box, int dpi) {
  const auto length = static_cast<int>(box.text.size());
  const wchar_t* text = WideText(box.text);
  RECT needed{};
  if (box.kind == ControlKind::kButton) {
    const int width = box.width - 2 * MulDiv(kButtonMarginX, dpi, kDefaultDpi);
    const int height = box.height - 2 * MulDiv(kButtonMarginY, dpi, kDefaultDpi);
    DrawTextW(dc, text, length, &needed, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    return needed.right <= width && needed.bottom <= height;
  }
  needed.right = box.width;
  DrawTextW(dc, text, length, &needed,
            DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX | DT_LEFT);
  return needed.right <= box.width && needed.bottom <= box.height;
}

FittedFont FitCaptionFont(const BaseFont& base, int dpi, std::span<const CaptionBox> captions) {
  const ScreenDc screen(GetDC(nullptr));
  LOGFONTW font = base.font;
  font.lfWidth = 0;
  const int start = MulDiv(CharacterHeight(base.font, base.dpi), dpi, base.dpi);
  FittedFont fitted;
  for (int height = std::max(start, kSmallestPixelHeight); height >= kSmallestPixelHeight;
       --height) {
    font.lfHeight = -height;
    UniqueFont candidate(CreateFontIndirectW(&font));
    if (!candidate)
      continue;
    fitted.font = std::move(candidate);
    fitted.pixelHeight = height;
    if (!screen)
      break;
    SelectedObject selected(screen.get(), fitted.font.get());
    if (std::all_of(captions.begin(), captions.end(),
                    [&](const CaptionBox& box) { return CaptionFits(screen.get(), box, dpi); }))
      break;
  }
  return fitted;
}

Form1Window::Form1Window(HINSTANCE instance, Form1Services services, ShellApi& shell,
                         MessageBoxApi& messages, const RunTimeFunctions& functions)
    : instance_(instance),
      shell_(shell),
      messages_(messages),
      functions_(functions),
      form_(*this, services) {}

Form1Window::~Form1Window() {
  if (window_ != nullptr) {
    endLoopOnDestroy_ = false;
    DestroyWindow(window_);
  }
}

bool Form1Window::Load() {
  std::optional<SystemError> failed = Create();
  if (!failed) {
    try {
      form_.Form_Load();
      return true;
    } catch (...) {
      failed = CurrentRunTimeError();
    }
  }
  Fail(*failed);
  return false;
}

int Form1Window::Run() {
  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (window_ != nullptr && IsDialogMessageW(window_, &message))
      continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return message.message == WM_QUIT ? static_cast<int>(message.wParam) : kExitRunTimeError;
}

std::optional<SystemError> Form1Window::Create() {
  if (!RegisterWindowClass(instance_, WindowProc))
    return LastWindowsError();
  // Hidden, centred on the primary monitor, so that its resolution is the one laid out for. It
  // is made in the size for the system's resolution, the one the primary monitor normally has,
  // and sized again only when its own turns out to differ.
  const SIZE size = FrameSize(SystemDpi(functions_));
  const RECT frame = CentredInWorkArea(size.cx, size.cy);
  if (CreateWindowExW(kFrameExStyle, kClassName, WideText(kWindowCaption), kFrameStyle, frame.left,
                      frame.top, frame.right - frame.left, frame.bottom - frame.top, nullptr,
                      nullptr, instance_, this) == nullptr)
    return LastWindowsError();
  dpi_ = WindowDpi(window_, functions_);
  FitFont(dpi_);
  RECT client{};
  GetClientRect(window_, &client);
  if (PixelRect{0, 0, client.right, client.bottom} != ClientPixels(dpi_))
    SizeFrame(true);
  // Each control is made where it belongs, in its font and visible: the frame is still hidden,
  // so nothing is drawn before the window shows, and nothing has to be moved or shown again.
  const HFONT font = CaptionFont();
  for (const ControlEntry* entry : CreationOrder()) {
    const ControlClass kind = ClassFor(entry->kind);
    const PixelRect rect = ControlPixels(*entry, dpi_);
    HWND control = CreateWindowExW(
        kind.exStyle, kind.className, WideText(entry->caption), kind.style | WS_VISIBLE, rect.left,
        rect.top, rect.width(), rect.height(), window_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(CommandId(entry->id))), instance_, nullptr);
    if (control == nullptr)
      return LastWindowsError();
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    controls_[static_cast<std::size_t>(entry->id)] = control;
  }
  HWND log = Control(ControlId::txtLog);
  // The log grows for as long as the window is open.
  SendMessageW(log, EM_SETLIMITTEXT, 0, 0);
  SetWindowLongPtrW(log, GWLP_USERDATA, GetWindowLongPtrW(log, GWLP_WNDPROC));
  SetWindowLongPtrW(log, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LogBoxProc));
  return std::nullopt;
}

void Form1Window::SizeFrame(bool centre) {
  const PixelRect client = ClientPixels(dpi_);
  RECT outer{};
  RECT inner{};
  GetWindowRect(window_, &outer);
  GetClientRect(window_, &inner);
  int width = client.width() + (outer.right - outer.left) - inner.right;
  int height = client.height() + (outer.bottom - outer.top) - inner.bottom;
  if (inner.right == 0 || inner.bottom == 0) {
    // A frame too small for any client area says nothing about its borders.
    const SIZE size = FrameSize(dpi_);
    width = size.cx;
    height = size.cy;
  }
  const RECT place = centre ? CentredInWorkArea(width, height) : outer;
  SetWindowPos(window_, nullptr, place.left, place.top, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
  // The borders now belong to a window of its real size; correct by what is still missing.
  GetClientRect(window_, &inner);
  if (inner.right != client.width() || inner.bottom != client.height()) {
    SetWindowPos(window_, nullptr, 0, 0, width + client.width() - inner.right,
                 height + client.height() - inner.bottom,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
  }
}

FittedFont Form1Window::FitFont(int dpi) {
  std::vector<CaptionBox> boxes;
  for (const CaptionToFit& caption : CaptionsToFit()) {
    const PixelRect rect = ControlPixels(*caption.control, dpi);
    boxes.push_back({caption.text, caption.control->kind, rect.width(), rect.height()});
  }
  return std::exchange(font_, FitCaptionFont(MessageFont(functions_), dpi, boxes));
}

HFONT Form1Window::CaptionFont() const {
  return font_.font ? font_.font.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void Form1Window::LayOut(int dpi) {
  // The controls use the previous font until each has the new one; it goes after that.
  const FittedFont previous = FitFont(dpi);
  const HFONT font = CaptionFont();
  for (const ControlEntry& entry : kForm1Controls) {
    HWND control = Control(entry.id);
    const PixelRect rect = ControlPixels(entry, dpi);
    SetWindowPos(control, nullptr, rect.left, rect.top, rect.width(), rect.height(),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  dpi_ = dpi;
}

void Form1Window::OnDpiChanged(int dpi, const RECT& suggested) {
  SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  LayOut(dpi);
  SizeFrame(false);
}

void Form1Window::OnActivate(bool active) {
  if (!active) {
    HWND focus = GetFocus();
    if (focus != nullptr && IsChild(window_, focus))
      focus_ = focus;
    return;
  }
  SetFocus(focus_ != nullptr && IsWindow(focus_) ? focus_ : Control(ControlId::cmdRefreshVersion));
}

void Form1Window::Fail(const SystemError& error) noexcept {
  try {
    const std::u16string text = RunTimeErrorText(error);
    HWND owner = window_ != nullptr && IsWindowVisible(window_) ? window_ : nullptr;
    messages_.Show(owner, WideText(text), WideText(kAppTitle), MB_OK | MB_ICONERROR);
  } catch (...) {
    // Not even the message could be made: the program still ends.
  }
  exitCode_ = kExitRunTimeError;
  if (window_ != nullptr) {
    DestroyWindow(window_);
  } else {
    // No window exists whose end would end the message loop.
    PostQuitMessage(exitCode_);
  }
}

void Form1Window::SetText(ControlId id, std::u16string_view text) {
  if (!SetWindowTextW(Control(id), Wide(text).c_str()))
    throw LastWindowsError();
}

void Form1Window::SetReportedVersion(std::u16string_view text) {
  SetText(ControlId::lblOSVersion, text);
}

std::u16string Form1Window::ReportedVersion() const {
  HWND label = Control(ControlId::lblOSVersion);
  SetLastError(ERROR_SUCCESS);
  const int length = GetWindowTextLengthW(label);
  if (length == 0 && GetLastError() != ERROR_SUCCESS)
    throw LastWindowsError();
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(label, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied));
  return Utf16(text);
}

void Form1Window::SetClassification(std::u16string_view text) {
  SetText(ControlId::lblRDPVersion, text);
}

void Form1Window::SetLogText(std::u16string_view text) {
  SetText(ControlId::txtLog, text);
  // Show the newest entries.
  HWND log = Control(ControlId::txtLog);
  const auto end = static_cast<WPARAM>(GetWindowTextLengthW(log));
  SendMessageW(log, EM_SETSEL, end, static_cast<LPARAM>(end));
  SendMessageW(log, EM_SCROLLCARET, 0, 0);
}

void Form1Window::ShowNotice(std::u16string_view text, std::u16string_view title) {
  messages_.Show(window_, Wide(text).c_str(), Wide(title).c_str(), MB_OK);
}

void Form1Window::Show() {
  ShowWindow(window_, SW_SHOW);
  SetFocus(Control(ControlId::cmdRefreshVersion));
}

void Form1Window::Unload() {
  exitCode_ = kExitClosed;
  DestroyWindow(window_);
}

void Form1Window::OpenUrl(std::u16string_view url) {
  OpenAsUser(shell_, window_, url);
}

LRESULT CALLBACK Form1Window::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* created =
        static_cast<Form1Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    created->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
  }
  auto* self = reinterpret_cast<Form1Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr)
    return DefWindowProcW(window, message, wParam, lParam);
  try {
    return self->HandleMessage(message, wParam, lParam);
  } catch (...) {
    self->Fail(CurrentRunTimeError());
    return 0;
  }
}

LRESULT CALLBACK Form1Window::LogBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto original = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_USERDATA));
  LRESULT result = CallWindowProcW(original, window, message, wParam, lParam);
  if (message == WM_GETDLGCODE) {
    // A multi-line box asks for every key, Tab included; the log is only read, so Tab and
    // the dialog keys move on, and tabbing in leaves the text unselected.
    result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTTAB | DLGC_HASSETSEL);
  }
  return result;
}

LRESULT Form1Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (const auto id = FromCommandId(LOWORD(wParam)); id && HIWORD(wParam) == BN_CLICKED)
        form_.Click(*id);
      return 0;
    case DM_GETDEFID: {
      // Enter presses the button that has the focus.
      HWND focus = GetFocus();
      if (focus == nullptr || GetParent(focus) != window_)
        return 0;
      const auto id = FromCommandId(GetDlgCtrlID(focus));
      if (id && Form1Control(*id).kind == ControlKind::kButton)
        return MAKELRESULT(CommandId(*id), DC_HASDEFID);
      return 0;
    }
    case WM_ACTIVATE:
      OnActivate(LOWORD(wParam) != WA_INACTIVE);
      return 0;
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lParam) == Control(ControlId::txtLog)) {
        // Read-only, but it is a text box: the window colour, not the dialog's.
        auto dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
      }
      break;
    case kWmDpiChanged:
      OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_DESTROY:
      if (endLoopOnDestroy_)
        PostQuitMessage(exitCode_);
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
      controls_.fill(nullptr);
      return DefWindowProcW(std::exchange(window_, nullptr), message, wParam, lParam);
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace tarnwick::win32
