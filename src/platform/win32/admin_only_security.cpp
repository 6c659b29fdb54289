#include "platform/win32/admin_only_security.h"

#include <aclapi.h>
#include <sddl.h>

namespace tarnwick::win32 {

AdminOnlySecurity::AdminOnlySecurity() {
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(kAdminOnlySddl, SDDL_REVISION_1,
                                                              &descriptor_, nullptr)) {
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
  PSID owner = nullptr;
  BOOL defaulted = FALSE;
  PACL dacl = nullptr;
  BOOL present = FALSE;
  if (!::GetSecurityDescriptorOwner(descriptor_, &owner, &defaulted) ||
      !::GetSecurityDescriptorDacl(descriptor_, &present, &dacl, &defaulted))
    return ::GetLastError();
  if (owner == nullptr || !present || dacl == nullptr)
    return ERROR_INVALID_SECURITY_DESCR;
  return ::SetSecurityInfo(
      handle, SE_FILE_OBJECT,
      OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
      owner, nullptr, dacl, nullptr);
}

}  // namespace tarnwick::win32
