#include "app/win32/desktop_api.h"

#include <shellapi.h>

#include "app/win32/com_apartment.h"
#include "app/win32/open_as_user.h"
#include "platform/win32/system_library.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_system_info.h"

namespace tarnwick::win32 {

Win32Shell::Win32Shell() = default;
Win32Shell::~Win32Shell() = default;

const ComApartment& Win32Shell::Com() {
  if (com_ == nullptr) {
    Win32SystemInfo system;
    com_ = std::make_unique<ComApartment>(system);
  }
  return *com_;
}

HINSTANCE Win32Shell::Execute(HWND owner, const wchar_t* verb, const wchar_t* file,
                              const wchar_t* parameters, const wchar_t* directory,
                              int showCommand) {
  Com();  // ShellExecuteW may hand the request to a COM object
  if (shellExecute_ == nullptr) {
    Win32SystemInfo system;
    UniqueModule module = LoadSystemLibrary(system, u"shell32.dll");
    shellExecute_ = module.Function<ShellExecuteFn>("ShellExecuteW");
    if (shellExecute_ == nullptr)
      return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(SE_ERR_DLLNOTFOUND));
    shell32_ = std::move(module);
  }
  return shellExecute_(owner, verb, file, parameters, directory, showCommand);
}

// The token's elevation (Vista and later); false where Windows has no such thing (XP) or the
// token cannot be read.
bool Win32Shell::RunsElevated() {
  UniqueToken token;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put()))
    return false;
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  return ::GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof(elevation), &size) &&
         elevation.TokenIsElevated != 0;
}

bool Win32Shell::ExecuteOnDesktop(const wchar_t* verb, const wchar_t* file) {
  return win32::ExecuteOnDesktop(Com(), verb, file);
}

int Win32MessageBox::Show(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
  return MessageBoxW(owner, text, caption, type);
}

}  // namespace tarnwick::win32
