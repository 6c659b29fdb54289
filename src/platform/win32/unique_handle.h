// Owners of Windows handles: one template, and one line for each kind of handle. An owner closes
// its handle when it goes, and can be moved but not copied; Close() closes it at once and says
// whether that worked (a failed close of a file may mean data not written).
#pragma once

#include <windows.h>

#include <utility>

namespace tarnwick::win32 {

template <typename Handle, bool (*CloseFn)(Handle), bool kMinusOneIsNone = false>
class UniqueAny {
 public:
  UniqueAny() = default;
  explicit UniqueAny(Handle handle) : handle_(handle) {}
  ~UniqueAny() { Close(); }
  UniqueAny(UniqueAny&& other) noexcept : handle_(other.release()) {}
  UniqueAny& operator=(UniqueAny&& other) noexcept {
    if (this != &other)
      reset(other.release());
    return *this;
  }
  UniqueAny(const UniqueAny&) = delete;
  UniqueAny& operator=(const UniqueAny&) = delete;

  Handle get() const { return handle_; }
  bool valid() const {
    return handle_ != Handle{} && !(kMinusOneIsNone && handle_ == INVALID_HANDLE_VALUE);
  }
  explicit operator bool() const { return valid(); }
  // Gives the handle up without closing it.
  Handle release() { return std::exchange(handle_, Handle{}); }
  void reset(Handle handle = Handle{}) {
    Close();
    handle_ = handle;
  }
  // For a function that hands a new handle out through a pointer.
  Handle* put() {
    reset();
    return &handle_;
  }
  // Whether the handle closed cleanly (true when there was none).
  bool Close() {
    const Handle handle = release();
    return handle == Handle{} || (kMinusOneIsNone && handle == INVALID_HANDLE_VALUE) ||
           CloseFn(handle);
  }

 private:
  Handle handle_{};
};

inline bool CloseKernelHandle(HANDLE handle) {
  return ::CloseHandle(handle) != FALSE;
}
inline bool FreeLocal(void* memory) {
  return ::LocalFree(memory) == nullptr;
}
inline bool CloseRegistryKey(HKEY key) {
  return ::RegCloseKey(key) == ERROR_SUCCESS;
}
inline bool UnloadModule(HMODULE module) {
  return ::FreeLibrary(module) != FALSE;
}

// A file or folder opened with CreateFileW (INVALID_HANDLE_VALUE when none).
using UniqueFile = UniqueAny<HANDLE, CloseKernelHandle, true>;
// A process's access token.
using UniqueToken = UniqueAny<HANDLE, CloseKernelHandle>;
// A registry key opened or made with RegOpenKeyExW or RegCreateKeyExW.
using UniqueKey = UniqueAny<HKEY, CloseRegistryKey>;
// Memory that a Windows function allocated for the caller with LocalAlloc.
using UniqueLocal = UniqueAny<void*, FreeLocal>;
// A DLL loaded with LoadLibraryExW.
using UniqueModule = UniqueAny<HMODULE, UnloadModule>;

}  // namespace tarnwick::win32
