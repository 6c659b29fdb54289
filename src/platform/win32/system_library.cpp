#include "platform/win32/system_library.h"

#include <windows.h>

#include <string>

#include "platform/text.h"
#include "platform/win32/wide_text.h"

namespace tarnwick::win32 {
namespace {

bool IsAbsolute(std::u16string_view path) {
  const bool drive = path.size() >= 3 && FoldAscii(path[0]) >= u'a' && FoldAscii(path[0]) <= u'z' &&
                     path[1] == u':' && path[2] == u'\\';
  const bool share = path.size() >= 3 && path[0] == u'\\' && path[1] == u'\\' && path[2] != u'\\';
  return drive || share;
}

// Where SetDefaultDllDirectories is missing, a DLL loaded by name is looked for first among the
// DLLs loaded already (by base name, wherever they came from), then among the known DLLs
// (HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\KnownDLLs, with the DLLs they import,
// always from the system directory), and then in the program's folder, before the system
// directory. So each DLL below, which Windows loads by name once the program runs and which is
// not a known DLL on every Windows of that kind, is loaded here first, by full path.
//
// Found from the modules the program holds under Wine once its window, a download click, the
// Windows 7 notice and an update have run, with what Windows itself loads beside Wine, less
// the known DLLs. XP and Server 2003 know advapi32, comdlg32, gdi32, imagehlp, kernel32, lz32,
// ole32, oleaut32, olecli32, olecnv32, olesvr32, olethk32, rpcrt4, shell32, url, urlmon,
// user32, version, wininet and wldap32, and with them msvcrt and shlwapi, which they import;
// Vista and 7 add imm32, msctf, clbcatq, shlwapi, msvcrt and others, and drop version.
//   uxtheme.dll   visual styles: user32 and common controls 6 load it with the first window
//                 (XP to 7; never a known DLL)
//   dwmapi.dll    desktop composition: uxtheme, user32 and common controls 6 load it with the
//                 first window (Vista and 7; XP has no such file, and nothing asks for it)
//   msimg32.dll   the alpha blending that themed controls are drawn with (XP to 7; never a
//                 known DLL)
//   imm32.dll     input methods for the log box (XP and 2003; known from Vista on)
//   msctf.dll     text services, which imm32 and user32 start for a focused edit control (XP
//                 and 2003; known from Vista on)
//   version.dll   version resources, loaded with the window under Wine and by the shell's
//                 functions on Windows; the version check's own copy, by full path, is freed
//                 after it (Vista and 7; known on XP)
//   ntmarta.dll   advapi32's access-control provider, which its higher-level security
//                 functions (GetSecurityInfo, SetSecurityInfo, GetNamedSecurityInfo,
//                 SetEntriesInAcl) load at their first call; the program calls none of them,
//                 and keeps it here for any that a system DLL calls in its process (XP to 7;
//                 never a known DLL)
//   clbcatq.dll   the COM catalog that ole32 reads for the shell object of a download click
//                 (XP and 2003; known from Vista on)
// Not here: what Windows loads before the program's first instruction, which no preload can
// come before: its imports, known DLLs all but common controls 6 (comctl32), which the
// manifest has Windows take from its side-by-side store before any folder is searched and
// which imports known DLLs only, and what user32 and gdi32 load as they start (lpk.dll on XP,
// for one). Nor shell32, ole32 and oleaut32, which the program loads by full path and which are
// known on every Windows, nor what COM loads by the full path that the registry gives
// (actxprxy, the shell's proxies). Each DLL here is loaded with LOAD_WITH_ALTERED_SEARCH_PATH,
// so the DLLs it imports are found in the system directory.
constexpr std::u16string_view kPreloaded[] = {
    u"uxtheme.dll", u"dwmapi.dll",  u"msimg32.dll", u"imm32.dll",
    u"msctf.dll",   u"version.dll", u"ntmarta.dll", u"clbcatq.dll",
};

}  // namespace

std::vector<UniqueModule> RestrictDllSearch(SystemInfoApi& system,
                                            const RunTimeFunctions& functions) {
  if (functions.SetDefaultDllDirectories != nullptr) {
    functions.SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    return {};
  }
  return RestrictDllSearchByPreloading(system, functions);
}

std::vector<UniqueModule> RestrictDllSearchByPreloading(SystemInfoApi& system,
                                                        const RunTimeFunctions& functions) {
  if (functions.SetDllDirectoryW != nullptr)
    functions.SetDllDirectoryW(L"");
  std::vector<UniqueModule> loaded;
  for (std::u16string_view name : kPreloaded) {
    // A DLL that this Windows lacks is not asked for by name either.
    if (UniqueModule module = LoadSystemLibrary(system, name, functions))
      loaded.push_back(std::move(module));
  }
  return loaded;
}

std::span<const std::u16string_view> PreloadedLibraryNames() {
  return kPreloaded;
}

UniqueModule LoadLibraryAt(std::u16string_view path, const RunTimeFunctions& functions) {
  // Windows would read the path only up to an embedded NUL, so a different file than asked.
  if (!IsAbsolute(path) || path.find(u'\0') != std::u16string_view::npos)
    return UniqueModule();
  // The LOAD_LIBRARY_SEARCH_* flags came with SetDefaultDllDirectories; a Windows without it
  // refuses them.
  const DWORD flags = functions.SetDefaultDllDirectories != nullptr ? LOAD_LIBRARY_SEARCH_SYSTEM32
                                                                    : LOAD_WITH_ALTERED_SEARCH_PATH;
  return UniqueModule(::LoadLibraryExW(Wide(path).c_str(), nullptr, flags));
}

UniqueModule LoadSystemLibrary(SystemInfoApi& system, std::u16string_view name,
                               const RunTimeFunctions& functions) {
  return LoadLibraryAt(SystemDir(system) + std::u16string(name), functions);
}

}  // namespace tarnwick::win32
