// The functions that only some Windows export, each with its DLL: looked up at run time, so that
// the program still starts on the oldest Windows it supports (XP SP3) and uses the newer
// function where there is one. None of them may be imported directly: the ship checks hold the
// import list to what XP SP3 exports.
#pragma once

#include <windows.h>
#include <winternl.h>

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

// Each member is null where this Windows lacks the function; the Windows it came with is beside
// it. The DLLs are in every process (user32 in every process with a window).
struct RunTimeFunctions {
  // kernel32.dll
  BOOL(WINAPI* SetDefaultDllDirectories)(DWORD) = nullptr;         // 8; Vista and 7 with KB2533623
  BOOL(WINAPI* SetDllDirectoryW)(LPCWSTR) = nullptr;               // XP SP1
  BOOL(WINAPI* Wow64DisableWow64FsRedirection)(PVOID*) = nullptr;  // 64-bit XP and Server 2003
  BOOL(WINAPI* Wow64RevertWow64FsRedirection)(PVOID) = nullptr;    // 64-bit XP and Server 2003
  // ntdll.dll, whose functions are in every Windows NT but not in the import libraries that the
  // ship checks allow
  LONG(WINAPI* RtlGetVersion)(OSVERSIONINFOW*) = nullptr;  // 2000
  decltype(&::NtCreateFile) NtCreateFile = nullptr;
  NTSTATUS(NTAPI* NtQueryDirectoryFile)
  (HANDLE, HANDLE, PIO_APC_ROUTINE, PVOID, PIO_STATUS_BLOCK, PVOID, ULONG, FILE_INFORMATION_CLASS,
   BOOLEAN, PUNICODE_STRING, BOOLEAN) = nullptr;
  decltype(&::RtlNtStatusToDosError) RtlNtStatusToDosError = nullptr;
  // user32.dll
  UINT(WINAPI* GetDpiForWindow)(HWND) = nullptr;                  // 10 1607
  UINT(WINAPI* GetDpiForSystem)() = nullptr;                      // 10 1607
  BOOL(WINAPI* SetProcessDpiAwarenessContext)(HANDLE) = nullptr;  // 10 1703
  BOOL(WINAPI* SetProcessDPIAware)() = nullptr;                   // Vista

  // This Windows' functions, each looked up in its DLL.
  static RunTimeFunctions OfThisWindows();
};

}  // namespace tarnwick::win32
