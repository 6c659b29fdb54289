#include "backup/win32/admin_only_security.h"

#include <sddl.h>

namespace tarnwick::win32 {

AdminOnlySecurity::AdminOnlySecurity(const wchar_t* sddl) {
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor_,
                                                              nullptr)) {
    error_ = ::GetLastError();
    descriptor_ = nullptr;
    return;
  }
  attributes_ = {sizeof(attributes_), descriptor_, FALSE};
}

AdminOnlySecurity::~AdminOnlySecurity() {
  if (descriptor_ != nullptr)
    ::LocalFree(descriptor_);
}

DWORD AdminOnlySecurity::ApplyTo(HANDLE handle) const {
  if (error_ != ERROR_SUCCESS)
    return error_;
  // Set on this object alone. SetSecurityInfo would also carry the new inheritable entries into
  // everything already in a folder, and so onto whatever a hard link planted there before the
  // folder was secured names, anywhere on the volume. The descriptor's DACL is marked protected.
  if (!::SetKernelObjectSecurity(handle, DACL_SECURITY_INFORMATION, descriptor_))
    return ::GetLastError();
  return ERROR_SUCCESS;
}

}  // namespace tarnwick::win32
