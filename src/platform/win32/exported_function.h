// Functions that only some Windows export, looked up at run time, so that the program still
// starts on the oldest Windows it supports and uses the newer function where there is one.
#pragma once

#include <windows.h>

namespace tarnwick::win32 {

// The function `name` that `module` exports, as a pointer of type Fn; null when the module or
// the function is missing.
template <typename Fn>
Fn ExportedFunction(HMODULE module, const char* name) {
  if (module == nullptr)
    return nullptr;
  // Through void(*)(): the one function pointer type any other may be cast from and to.
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

// The same from a DLL that the process has loaded already (kernel32, ntdll, user32).
template <typename Fn>
Fn LoadedFunction(const wchar_t* dll, const char* name) {
  return ExportedFunction<Fn>(::GetModuleHandleW(dll), name);
}

}  // namespace tarnwick::win32
