// A loaded DLL, freed when its owner goes.
#pragma once

#include <windows.h>

#include <utility>

namespace tarnwick::win32 {

class UniqueModule {
 public:
  UniqueModule() = default;
  explicit UniqueModule(HMODULE module) : module_(module) {}
  ~UniqueModule() { reset(); }

  UniqueModule(UniqueModule&& other) noexcept : module_(std::exchange(other.module_, nullptr)) {}
  UniqueModule& operator=(UniqueModule&& other) noexcept {
    if (this != &other) {
      reset();
      module_ = std::exchange(other.module_, nullptr);
    }
    return *this;
  }
  UniqueModule(const UniqueModule&) = delete;
  UniqueModule& operator=(const UniqueModule&) = delete;

  HMODULE get() const { return module_; }
  explicit operator bool() const { return module_ != nullptr; }

  void reset() {
    if (module_ != nullptr)
      ::FreeLibrary(std::exchange(module_, nullptr));
  }

  // The exported function `name` as a pointer of type Fn; null when it is not exported.
  template <typename Fn>
  Fn Function(const char* name) const {
    if (module_ == nullptr)
      return nullptr;
    // Through void(*)(): the one function pointer type any other may be cast from and to.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(module_, name)));
  }

 private:
  HMODULE module_ = nullptr;
};

}  // namespace tarnwick::win32
