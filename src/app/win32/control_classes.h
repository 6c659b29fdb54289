// The window classes and styles of the main window's frame and of its controls, by kind.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "app/form1_layout.h"

namespace tarnwick::win32 {

inline constexpr DWORD kFrameStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
inline constexpr DWORD kFrameExStyle = WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT;

struct ControlClass {
  const wchar_t* className;
  DWORD style;
  DWORD exStyle;
};

// Every control clips its siblings, so that one lying on top of another (the download
// buttons on Label1, a separator on the label it touches) is never painted over.
constexpr ControlClass ClassFor(ControlKind kind) {
  constexpr DWORD kChild = WS_CHILD | WS_CLIPSIBLINGS;
  switch (kind) {
    case ControlKind::kLabel:
      return {L"STATIC", kChild | SS_LEFT | SS_NOPREFIX, 0};
    case ControlKind::kButton:
      return {L"BUTTON", kChild | WS_TABSTOP | BS_PUSHBUTTON, 0};
    case ControlKind::kLogBox:
      return {L"EDIT",
              kChild | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
              WS_EX_CLIENTEDGE};
    case ControlKind::kLine:
      return {L"STATIC", kChild | SS_BLACKRECT, 0};
  }
  return {L"STATIC", kChild, 0};
}

// Registers the common controls' standard classes (buttons, labels, edit boxes) of the version
// the manifest asks for, before the first window or message box: Windows XP's visual styles
// guide asks for it, and XP programs without it failed to make their controls. A comctl32
// older than 6 knows no such class set and does nothing.
inline void InitStandardControls() {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_STANDARD_CLASSES;
  ::InitCommonControlsEx(&controls);
}

}  // namespace tarnwick::win32
