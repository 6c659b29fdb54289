// A loaded DLL, freed when its owner goes.
#pragma once

#include <windows.h>

#include "platform/win32/unique_handle.h"

namespace tarnwick::win32 {

inline bool UnloadModule(HMODULE module) {
  return ::FreeLibrary(module) != FALSE;
}

class UniqueModule : public UniqueAny<HMODULE, UnloadModule> {
 public:
  using UniqueAny::UniqueAny;

  // The exported function `name` as a pointer of type Fn; null when it is not exported.
  template <typename Fn>
  Fn Function(const char* name) const {
    if (!valid())
      return nullptr;
    // Through void(*)(): the one function pointer type any other may be cast from and to.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(get(), name)));
  }
};

}  // namespace tarnwick::win32
