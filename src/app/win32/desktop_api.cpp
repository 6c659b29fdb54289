#include "app/win32/desktop_api.h"

#include <shellapi.h>

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_system_info.h"

namespace tarnwick::win32 {

HINSTANCE Win32Shell::Execute(HWND owner, const wchar_t* verb, const wchar_t* file,
                              const wchar_t* parameters, const wchar_t* directory,
                              int showCommand) {
  if (shellExecute_ == nullptr) {
    Win32SystemInfo system;
    UniqueModule module(::LoadLibraryW(Wide(SystemDir(system) + u"shell32.dll").c_str()));
    shellExecute_ = module.Function<ShellExecuteFn>("ShellExecuteW");
    if (shellExecute_ == nullptr)
      return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(SE_ERR_DLLNOTFOUND));
    shell32_ = std::move(module);
  }
  return shellExecute_(owner, verb, file, parameters, directory, showCommand);
}

int Win32MessageBox::Show(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
  return MessageBoxW(owner, text, caption, type);
}

}  // namespace tarnwick::win32
