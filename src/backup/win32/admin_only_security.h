// The security every backup folder and file gets: made owned by Administrators, with a protected
// DACL (nothing inherited) in which SYSTEM and Administrators have full control, the owner
// as such (OWNER RIGHTS) may only read, and Users may only read and list.
#pragma once

#include <windows.h>

namespace tarnwick::win32 {

// OWNER RIGHTS is written as its SID: Windows XP's SDDL parser does not know the OW alias.
inline constexpr wchar_t kAdminOnlySddl[] =
    L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FR;;;S-1-3-4)(A;OICI;0x1200a9;;;BU)";

// The run lock's file: owned by Administrators, SYSTEM and Administrators alone have any access.
// Nobody else can open it for reading, writing or deleting, and so nobody else can hold it open
// in a way that an exclusive open would take for another run.
inline constexpr wchar_t kLockFileSddl[] = L"O:BAD:P(A;;FA;;;SY)(A;;FA;;;BA)";

class AdminOnlySecurity {
 public:
  // Builds the descriptor from `sddl`; `error` is ERROR_SUCCESS, or why it could not be built.
  explicit AdminOnlySecurity(const wchar_t* sddl = kAdminOnlySddl);
  ~AdminOnlySecurity();
  AdminOnlySecurity(const AdminOnlySecurity&) = delete;
  AdminOnlySecurity& operator=(const AdminOnlySecurity&) = delete;

  DWORD error() const { return error_; }
  PSECURITY_DESCRIPTOR descriptor() const { return descriptor_; }
  // For CreateFileW and CreateDirectoryW: the object is made with this security.
  SECURITY_ATTRIBUTES* attributes() { return error_ == ERROR_SUCCESS ? &attributes_ : nullptr; }
  // Sets the protected DACL of the object open as `handle` (opened with WRITE_DAC), and of
  // nothing else; its owner stays as it is. The Win32 error code, ERROR_SUCCESS when set.
  DWORD ApplyTo(HANDLE handle) const;

 private:
  PSECURITY_DESCRIPTOR descriptor_ = nullptr;
  SECURITY_ATTRIBUTES attributes_ = {};
  DWORD error_ = ERROR_SUCCESS;
};

}  // namespace tarnwick::win32
