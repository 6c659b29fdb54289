// The functions that the program looks up at run time, one list per DLL: those that only some
// Windows export, so that the program still starts on the oldest Windows it supports (XP SP3)
// and uses the newer function where there is one, and those of the system's DLLs that it loads
// only when it needs them (system_library.h). None of them may be imported directly: the ship
// checks hold the import list to what XP SP3 exports.
#pragma once

#include <objbase.h>
#include <oleauto.h>
#include <shellapi.h>
#include <shlobj.h>
#include <windows.h>
#include <winternl.h>
#include <winver.h>

#include <string_view>
#include <type_traits>

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

// A list names each function once: D(name) where Windows' headers declare it for the oldest
// Windows that the build runs on, so that its type is theirs, H(name, type) where they do not.
// TARNWICK_FUNCTIONS(list) makes a member for each, null until LookUp finds it in the DLL, and
// AllFound, whether every one of them was found.
#define TARNWICK_DECLARED(name) decltype(&::name) name = nullptr;
#define TARNWICK_BY_HAND(name, type) std::type_identity_t<type> name = nullptr;
#define TARNWICK_LOOK_UP(name, ...) name = ExportedFunction<decltype(name)>(module, #name);
#define TARNWICK_FOUND(name, ...) &&name != nullptr
#define TARNWICK_FUNCTIONS(LIST)                      \
  LIST(TARNWICK_DECLARED, TARNWICK_BY_HAND)           \
  void LookUp(HMODULE module) {                       \
    LIST(TARNWICK_LOOK_UP, TARNWICK_LOOK_UP)          \
  }                                                   \
  bool AllFound() const {                             \
    return true LIST(TARNWICK_FOUND, TARNWICK_FOUND); \
  }

// Beside each function, the Windows it came with where that is later than the oldest supported.
#define TARNWICK_KERNEL32(D, H)                                         \
  D(SetDefaultDllDirectories)       /* 8; Vista and 7 with KB2533623 */ \
  D(SetDllDirectoryW)               /* XP SP1 */                        \
  D(Wow64DisableWow64FsRedirection) /* 64-bit XP and Server 2003 */     \
  D(Wow64RevertWow64FsRedirection)  /* 64-bit XP and Server 2003 */
// ntdll's functions are in every Windows NT, but not in the import libraries that the ship
// checks allow.
#define TARNWICK_NTDLL(D, H)                                                                 \
  H(RtlGetVersion, LONG(WINAPI*)(OSVERSIONINFOW*)) /* 2000 */                                \
  D(NtCreateFile)                                                                            \
  H(NtQueryDirectoryFile,                                                                    \
    NTSTATUS(NTAPI*)(HANDLE, HANDLE, PIO_APC_ROUTINE, PVOID, PIO_STATUS_BLOCK, PVOID, ULONG, \
                     FILE_INFORMATION_CLASS, BOOLEAN, PUNICODE_STRING, BOOLEAN))             \
  D(RtlNtStatusToDosError)
#define TARNWICK_USER32(D, H)                                           \
  H(GetDpiForWindow, UINT(WINAPI*)(HWND))                 /* 10 1607 */ \
  H(GetDpiForSystem, UINT(WINAPI*)())                     /* 10 1607 */ \
  H(SetProcessDpiAwarenessContext, BOOL(WINAPI*)(HANDLE)) /* 10 1703 */ \
  H(SetProcessDPIAware, BOOL(WINAPI*)())                  /* Vista */

struct Kernel32Functions {
  TARNWICK_FUNCTIONS(TARNWICK_KERNEL32)
};
struct NtdllFunctions {
  TARNWICK_FUNCTIONS(TARNWICK_NTDLL)
};
struct User32Functions {
  TARNWICK_FUNCTIONS(TARNWICK_USER32)
};

// The functions of the DLLs that are in every process (user32 in every process with a window),
// each null where this Windows lacks it. The program looks them up once, at start, and hands
// the table to whatever needs one; a test may hand in its own, as an older Windows has it.
struct RunTimeFunctions : Kernel32Functions, NtdllFunctions, User32Functions {
  static RunTimeFunctions OfThisWindows() {
    RunTimeFunctions functions;
    functions.Kernel32Functions::LookUp(::GetModuleHandleW(L"kernel32.dll"));
    functions.NtdllFunctions::LookUp(::GetModuleHandleW(L"ntdll.dll"));
    functions.User32Functions::LookUp(::GetModuleHandleW(L"user32.dll"));
    return functions;
  }
};

// The system's DLLs that the program loads from the system directory when it first needs them
// (SystemDll in system_library.h), each with its file name.
#define TARNWICK_VERSION(D, H) D(GetFileVersionInfoSizeW) D(GetFileVersionInfoW) D(VerQueryValueW)
#define TARNWICK_SHELL32(D, H) D(SHGetFolderPathW) D(ShellExecuteW)
#define TARNWICK_OLE32(D, H) D(CoInitializeEx) D(CoUninitialize) D(CoCreateInstance)
#define TARNWICK_OLEAUT32(D, H) D(SysAllocString) D(SysFreeString)

struct VersionFunctions {
  static constexpr std::u16string_view kFile = u"version.dll";
  TARNWICK_FUNCTIONS(TARNWICK_VERSION)
};
struct Shell32Functions {
  static constexpr std::u16string_view kFile = u"shell32.dll";
  TARNWICK_FUNCTIONS(TARNWICK_SHELL32)
};
struct Ole32Functions {
  static constexpr std::u16string_view kFile = u"ole32.dll";
  TARNWICK_FUNCTIONS(TARNWICK_OLE32)
};
struct OleAut32Functions {
  static constexpr std::u16string_view kFile = u"oleaut32.dll";
  TARNWICK_FUNCTIONS(TARNWICK_OLEAUT32)
};

}  // namespace tarnwick::win32
