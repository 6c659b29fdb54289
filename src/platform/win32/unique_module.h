// A loaded DLL, freed when its owner goes.
#pragma once

#include <windows.h>

#include "platform/win32/run_time_functions.h"
#include "platform/win32/unique_handle.h"

namespace tarnwick::win32 {

inline bool UnloadModule(HMODULE module) {
  return ::FreeLibrary(module) != FALSE;
}

class UniqueModule : public UniqueAny<HMODULE, UnloadModule> {
 public:
  using UniqueAny::UniqueAny;

  // The exported function `name` as a pointer of type Fn; null when no DLL is held or it does
  // not export that function.
  template <typename Fn>
  Fn Function(const char* name) const {
    return ExportedFunction<Fn>(get(), name);
  }
};

}  // namespace tarnwick::win32
