// The two Windows services the main window hands work to: the shell, which opens a URL in
// the user's default handler, and the modal message box. Tests put their own in.
#pragma once

#include <windows.h>

#include <memory>

#include "platform/win32/unique_module.h"

namespace tarnwick::win32 {

class ShellApi {
 public:
  virtual ~ShellApi() = default;
  // As ShellExecuteW: a value above 32 means success.
  virtual HINSTANCE Execute(HWND owner, const wchar_t* verb, const wchar_t* file,
                            const wchar_t* parameters, const wchar_t* directory,
                            int showCommand) = 0;
  // Whether this process runs elevated, so that what it starts would get its rights.
  virtual bool RunsElevated() = 0;
  // Hands `file` with `verb` to the desktop's shell, which runs as the logged-on user; false
  // when there is no desktop shell that takes it.
  virtual bool ExecuteOnDesktop(const wchar_t* verb, const wchar_t* file) = 0;
};

class MessageBoxApi {
 public:
  virtual ~MessageBoxApi() = default;
  // As MessageBoxW: returns when the box is dismissed.
  virtual int Show(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) = 0;
};

class ComApartment;

// shell32, and COM for the calls that need it, are loaded from the system directory at the
// first request, not at start: loading them costs more than everything else the program does
// before its window shows. COM stays on the thread of the first request until the object goes.
class Win32Shell final : public ShellApi {
 public:
  Win32Shell();
  ~Win32Shell() override;
  Win32Shell(const Win32Shell&) = delete;
  Win32Shell& operator=(const Win32Shell&) = delete;

  HINSTANCE Execute(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                    const wchar_t* directory, int showCommand) override;
  bool RunsElevated() override;
  bool ExecuteOnDesktop(const wchar_t* verb, const wchar_t* file) override;

 private:
  const ComApartment& Com();

  using ShellExecuteFn = HINSTANCE(WINAPI*)(HWND, const wchar_t*, const wchar_t*, const wchar_t*,
                                            const wchar_t*, int);
  UniqueModule shell32_;
  ShellExecuteFn shellExecute_ = nullptr;
  // Declared after shell32 so that COM leaves the thread before shell32 is freed.
  std::unique_ptr<ComApartment> com_;
};

class Win32MessageBox final : public MessageBoxApi {
 public:
  int Show(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) override;
};

}  // namespace tarnwick::win32
