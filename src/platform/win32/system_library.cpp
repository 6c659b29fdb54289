#include "platform/win32/system_library.h"

#include <windows.h>

#include <string>

#include "platform/win32/wide_text.h"

namespace tarnwick::win32 {
namespace {

using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
using SetDllDirectoryFn = BOOL(WINAPI*)(LPCWSTR);

template <typename Fn>
Fn Kernel32Function(const char* name) {
  HMODULE kernel32 = ::GetModuleHandleW(L"kernel32.dll");
  if (kernel32 == nullptr)
    return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(kernel32, name)));
}

// The LOAD_LIBRARY_SEARCH_* flags came with SetDefaultDllDirectories; a Windows without it
// refuses them.
bool HasSearchFlags() {
  return Kernel32Function<SetDefaultDllDirectoriesFn>("SetDefaultDllDirectories") != nullptr;
}

bool IsAbsolute(std::u16string_view path) {
  const bool drive =
      path.size() >= 3 &&
      ((path[0] >= u'A' && path[0] <= u'Z') || (path[0] >= u'a' && path[0] <= u'z')) &&
      path[1] == u':' && path[2] == u'\\';
  const bool share = path.size() >= 3 && path[0] == u'\\' && path[1] == u'\\' && path[2] != u'\\';
  return drive || share;
}

}  // namespace

void RestrictDllSearch() {
  if (auto setDefault = Kernel32Function<SetDefaultDllDirectoriesFn>("SetDefaultDllDirectories")) {
    setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    return;
  }
  if (auto setDirectory = Kernel32Function<SetDllDirectoryFn>("SetDllDirectoryW"))
    setDirectory(L"");
}

UniqueModule LoadLibraryAt(std::u16string_view path) {
  // Windows would read the path only up to an embedded NUL, so a different file than asked.
  if (!IsAbsolute(path) || path.find(u'\0') != std::u16string_view::npos)
    return UniqueModule();
  const DWORD flags =
      HasSearchFlags() ? LOAD_LIBRARY_SEARCH_SYSTEM32 : LOAD_WITH_ALTERED_SEARCH_PATH;
  return UniqueModule(::LoadLibraryExW(Wide(path).c_str(), nullptr, flags));
}

UniqueModule LoadSystemLibrary(SystemInfoApi& system, std::u16string_view name) {
  return LoadLibraryAt(SystemDir(system) + std::u16string(name));
}

}  // namespace tarnwick::win32
