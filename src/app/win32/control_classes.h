// The window classes and styles of the main window's frame and of its controls, by kind.
#pragma once

#include <windows.h>

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

}  // namespace tarnwick::win32
