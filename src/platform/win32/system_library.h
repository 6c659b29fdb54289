// Loading the system's own DLLs at run time, and keeping the program's folder and the current
// directory out of the search for every DLL that Windows loads later by name.
#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "platform/system_info.h"
#include "platform/win32/run_time_functions.h"
#include "platform/win32/unique_handle.h"

namespace tarnwick::win32 {

// For the whole process, once at start, before the first window: where Windows has
// SetDefaultDllDirectories (8 and later, 7 and Vista with KB2533623) only the system directory
// is searched; elsewhere RestrictDllSearchByPreloading does it. The DLLs loaded ahead stay
// loaded while the result lives.
std::vector<UniqueModule> RestrictDllSearch(SystemInfoApi& system,
                                            const RunTimeFunctions& functions);

// For a Windows without SetDefaultDllDirectories (XP, Server 2003, Vista and 7 without
// KB2533623), where SetDllDirectoryW(L"") takes only the current directory out of the search
// and the program's own folder stays first: loads every DLL of PreloadedLibraryNames() from
// the system directory by full path, so that a later load by name finds it loaded already.
std::vector<UniqueModule> RestrictDllSearchByPreloading(SystemInfoApi& system,
                                                        const RunTimeFunctions& functions);

// The DLLs that Windows would load by name, from the program's folder first, once the program
// runs on such a Windows (the list and the reason for each are in system_library.cpp).
std::span<const std::u16string_view> PreloadedLibraryNames();

// The DLL at `path`, an absolute path (a drive's or a share's), with the DLLs it needs found
// in the system directory (or, where Windows cannot be told that, beside it). Nothing is
// loaded from any other path.
UniqueModule LoadLibraryAt(std::u16string_view path, const RunTimeFunctions& functions);

// `name` (as "shell32.dll") from the system directory that `system` reports.
UniqueModule LoadSystemLibrary(SystemInfoApi& system, std::u16string_view name,
                               const RunTimeFunctions& functions);

// A DLL of the system directory, loaded when its owner first needs it and freed when the owner
// goes, with the functions of its list (Functions, from run_time_functions.h): each is null
// where the DLL or the function is missing.
template <typename Functions>
struct SystemDll : Functions {
  SystemDll(SystemInfoApi& system, const RunTimeFunctions& functions)
      : module(LoadSystemLibrary(system, Functions::kFile, functions)) {
    this->LookUp(module.get());
  }
  UniqueModule module;
};

}  // namespace tarnwick::win32
