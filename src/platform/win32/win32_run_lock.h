// RunLock as a named mutex in the Global\ namespace: one for every session of the machine, which
// only services and administrators may create, so a standard user cannot take the name first.
#pragma once

#include <windows.h>

#include <string>

#include "platform/run_lock.h"

namespace tarnwick::win32 {

inline constexpr wchar_t kRunLockName[] = L"Global\\Tarnwick.Run";

class Win32RunLock final : public RunLock {
 public:
  explicit Win32RunLock(std::wstring name = kRunLockName) : name_(std::move(name)) {}
  ~Win32RunLock() override;
  Win32RunLock(const Win32RunLock&) = delete;
  Win32RunLock& operator=(const Win32RunLock&) = delete;

  // A mutex that its last holder left without releasing it (the process ended) is had as well.
  bool Acquire(std::uint32_t waitMilliseconds) override;
  void Release() override;

 private:
  std::wstring name_;
  HANDLE mutex_ = nullptr;  // made or opened at the first Acquire
  bool held_ = false;
};

}  // namespace tarnwick::win32
