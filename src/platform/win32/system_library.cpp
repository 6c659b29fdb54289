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

// Where SetDefaultDllDirectories is missing, a DLL loaded by name is looked for in the program's
// folder before the system directory ("Dynamic-Link Library Search Order"), unless it is loaded
// already or a known DLL. So each DLL that Windows loads by name once the program runs, and that
// is not a known DLL on every Windows of that kind, is loaded here first, by full path, with
// LOAD_WITH_ALTERED_SEARCH_PATH. Each one's reason and the Windows it matters on:
// docs/security.md, "DLL search".
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
