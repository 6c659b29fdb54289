// Opening a link as the user: the shell's "open" verb, handed to the desktop's own shell
// (Explorer) when this process runs elevated, so that the browser, and whatever the user
// downloads and opens in it, gets the logged-on user's rights and not this process's. Tests
// put their own shell in.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string_view>

#include "platform/system_info.h"
#include "platform/win32/system_library.h"

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
  // Hands `file` with `verb` to the desktop's shell, which runs as the logged-on user. True once
  // the shell has taken the request, whatever then comes of it; false when there is no desktop
  // shell, or one that does not offer this.
  virtual bool ExecuteOnDesktop(const wchar_t* verb, const wchar_t* file) = 0;
};

// Opens `url` through `shell`: on the desktop's shell when elevated and there is one, else
// itself. The shell's answer is not looked at: the default handler takes it from here.
void OpenAsUser(ShellApi& shell, HWND owner, std::u16string_view url);

class ComApartment;

// shell32, and COM for the calls that need it, are loaded from the system directory at the
// first request, not at start: loading them costs more than everything else the program does
// before its window shows. COM stays on the thread of the first request until the object goes.
class Win32Shell final : public ShellApi {
 public:
  // Keeps `system` and `functions`, which must outlive it.
  Win32Shell(SystemInfoApi& system, const RunTimeFunctions& functions);
  Win32Shell(SystemInfoApi&, RunTimeFunctions&&) = delete;
  ~Win32Shell() override;
  Win32Shell(const Win32Shell&) = delete;
  Win32Shell& operator=(const Win32Shell&) = delete;

  HINSTANCE Execute(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                    const wchar_t* directory, int showCommand) override;
  bool RunsElevated() override;
  bool ExecuteOnDesktop(const wchar_t* verb, const wchar_t* file) override;

 private:
  const ComApartment& Com();

  SystemInfoApi& system_;
  const RunTimeFunctions& functions_;
  std::optional<SystemDll<Shell32Functions>> shell32_;
  // Declared after shell32 so that COM leaves the thread before shell32 is freed.
  std::unique_ptr<ComApartment> com_;
};

}  // namespace tarnwick::win32
