#include "app/win32/desktop_api.h"

#include <shellapi.h>

namespace tarnwick::win32 {

HINSTANCE Win32Shell::Execute(HWND owner, const wchar_t* verb, const wchar_t* file,
                              const wchar_t* parameters, const wchar_t* directory,
                              int showCommand) {
  return ShellExecuteW(owner, verb, file, parameters, directory, showCommand);
}

int Win32MessageBox::Show(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
  return MessageBoxW(owner, text, caption, type);
}

}  // namespace tarnwick::win32
