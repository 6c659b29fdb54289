// Loading the system's own DLLs at run time, and keeping the program's folder and the current
// directory out of the search for every DLL that Windows loads later by name.
#pragma once

#include <string_view>

#include "platform/system_info.h"
#include "platform/win32/unique_module.h"

namespace tarnwick::win32 {

// For the whole process, once at start: where Windows has SetDefaultDllDirectories (8 and
// later, 7 and Vista with KB2533623) only the system directory is searched; elsewhere
// SetDllDirectoryW(L"") takes the current directory out of the search (XP SP1 and later).
void RestrictDllSearch();

// The DLL at `path`, an absolute path (a drive's or a share's), with the DLLs it needs found
// in the system directory (or, where Windows cannot be told that, beside it). Nothing is
// loaded from any other path.
UniqueModule LoadLibraryAt(std::u16string_view path);

// `name` (as "shell32.dll") from the system directory that `system` reports.
UniqueModule LoadSystemLibrary(SystemInfoApi& system, std::u16string_view name);

}  // namespace tarnwick::win32
