#include "backup/win32/admin_only_security.h"

#include <sddl.h>

namespace tarnwick::win32 {

AdminOnlySecurity::AdminOnlySecurity(const wchar_t* sddl) {
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1,
                                                              descriptor_.put(), nullptr)) {
    error_ = ::GetLastError();
    descriptor_.reset();
    return;
  }
  attributes_ = {sizeof(attributes_), descriptor_.get(), FALSE};
}

DWORD AdminOnlySecurity::ApplyTo(HANDLE handle) const {
  if (error_ != ERROR_SUCCESS)
    return error_;
  // Set on this object alone. SetSecurityInfo would also carry the new inheritable entries into
  // everything already in a folder, and so onto whatever a hard link planted there before the
  // folder was secured names, anywhere on the volume. The descriptor's DACL is marked protected.
  if (!::SetKernelObjectSecurity(handle, DACL_SECURITY_INFORMATION, descriptor_.get()))
    return ::GetLastError();
  return ERROR_SUCCESS;
}

}  // namespace tarnwick::win32
