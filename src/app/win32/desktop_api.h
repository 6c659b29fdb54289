// The two Windows services the main window hands work to: the shell, which opens a URL in
// the user's default handler, and the modal message box. Tests put their own in.
#pragma once

#include <windows.h>

#include "platform/win32/unique_module.h"

namespace tarnwick::win32 {

class ShellApi {
 public:
  virtual ~ShellApi() = default;
  // As ShellExecuteW: a value above 32 means success.
  virtual HINSTANCE Execute(HWND owner, const wchar_t* verb, const wchar_t* file,
                            const wchar_t* parameters, const wchar_t* directory,
                            int showCommand) = 0;
};

class MessageBoxApi {
 public:
  virtual ~MessageBoxApi() = default;
  // As MessageBoxW: returns when the box is dismissed.
  virtual int Show(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) = 0;
};

// shell32 is loaded from the system directory at the first request, not at start: loading it
// costs more than everything else the program does before its window shows.
class Win32Shell final : public ShellApi {
 public:
  HINSTANCE Execute(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                    const wchar_t* directory, int showCommand) override;

 private:
  using ShellExecuteFn = HINSTANCE(WINAPI*)(HWND, const wchar_t*, const wchar_t*, const wchar_t*,
                                            const wchar_t*, int);
  UniqueModule shell32_;
  ShellExecuteFn shellExecute_ = nullptr;
};

class Win32MessageBox final : public MessageBoxApi {
 public:
  int Show(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) override;
};

}  // namespace tarnwick::win32
