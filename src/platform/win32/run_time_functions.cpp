#include "platform/win32/run_time_functions.h"

namespace tarnwick::win32 {
namespace {

template <typename Fn>
void LookUp(Fn& function, HMODULE module, const char* name) {
  function = ExportedFunction<Fn>(module, name);
}

}  // namespace

RunTimeFunctions RunTimeFunctions::OfThisWindows() {
  RunTimeFunctions f;
  const HMODULE kernel32 = ::GetModuleHandleW(L"kernel32.dll");
  LookUp(f.SetDefaultDllDirectories, kernel32, "SetDefaultDllDirectories");
  LookUp(f.SetDllDirectoryW, kernel32, "SetDllDirectoryW");
  LookUp(f.Wow64DisableWow64FsRedirection, kernel32, "Wow64DisableWow64FsRedirection");
  LookUp(f.Wow64RevertWow64FsRedirection, kernel32, "Wow64RevertWow64FsRedirection");
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  LookUp(f.RtlGetVersion, ntdll, "RtlGetVersion");
  LookUp(f.NtCreateFile, ntdll, "NtCreateFile");
  LookUp(f.NtQueryDirectoryFile, ntdll, "NtQueryDirectoryFile");
  LookUp(f.RtlNtStatusToDosError, ntdll, "RtlNtStatusToDosError");
  const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  LookUp(f.GetDpiForWindow, user32, "GetDpiForWindow");
  LookUp(f.GetDpiForSystem, user32, "GetDpiForSystem");
  LookUp(f.SetProcessDpiAwarenessContext, user32, "SetProcessDpiAwarenessContext");
  LookUp(f.SetProcessDPIAware, user32, "SetProcessDPIAware");
  return f;
}

}  // namespace tarnwick::win32
