#include "platform/win32/win32_run_lock.h"

#include <sddl.h>

namespace tarnwick::win32 {
namespace {

// SYSTEM and Administrators alone may open it, and nothing is inherited.
constexpr wchar_t kRunLockSddl[] = L"D:P(A;;GA;;;SY)(A;;GA;;;BA)";

HANDLE MakeMutex(const std::wstring& name) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(kRunLockSddl, SDDL_REVISION_1,
                                                              &descriptor, nullptr))
    return nullptr;
  SECURITY_ATTRIBUTES attributes = {sizeof(attributes), descriptor, FALSE};
  HANDLE mutex = ::CreateMutexW(&attributes, FALSE, name.c_str());
  ::LocalFree(descriptor);
  return mutex;
}

}  // namespace

Win32RunLock::~Win32RunLock() {
  Release();
  if (mutex_ != nullptr)
    ::CloseHandle(mutex_);
}

bool Win32RunLock::Acquire(std::uint32_t waitMilliseconds) {
  if (held_)
    return true;
  if (mutex_ == nullptr)
    mutex_ = MakeMutex(name_);
  if (mutex_ == nullptr)
    return false;
  const DWORD waited = ::WaitForSingleObject(mutex_, waitMilliseconds);
  held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
  return held_;
}

void Win32RunLock::Release() {
  if (held_)
    ::ReleaseMutex(mutex_);
  held_ = false;
}

}  // namespace tarnwick::win32
