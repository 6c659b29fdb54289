#include "backup/win32/trusted_owners.h"

#include <sddl.h>

#include "platform/win32/unique_handle.h"

namespace tarnwick::win32 {
namespace {

// NT SERVICE\TrustedInstaller, which owns the system's own files from Vista on.
constexpr wchar_t kTrustedInstallerSid[] =
    L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

// The owner SID of the object open as `handle`, copied out of its security descriptor.
DWORD OwnerOf(HANDLE handle, std::vector<BYTE>& owner) {
  std::vector<BYTE> descriptor(256);
  DWORD needed = 0;
  while (!::GetKernelObjectSecurity(handle, OWNER_SECURITY_INFORMATION, descriptor.data(),
                                    static_cast<DWORD>(descriptor.size()), &needed)) {
    const DWORD error = ::GetLastError();
    if (error != ERROR_INSUFFICIENT_BUFFER || needed <= descriptor.size())
      return error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE;
    descriptor.resize(needed);
  }
  PSID sid = nullptr;
  BOOL defaulted = FALSE;
  if (!::GetSecurityDescriptorOwner(descriptor.data(), &sid, &defaulted))
    return ::GetLastError();
  if (sid == nullptr || !::IsValidSid(sid))
    return ERROR_INVALID_SID;
  const auto* bytes = static_cast<const BYTE*>(sid);
  owner.assign(bytes, bytes + ::GetLengthSid(sid));
  return ERROR_SUCCESS;
}

bool IsTrustedInstaller(PSID sid) {
  UniqueLocal trustedInstaller;
  return ::ConvertStringSidToSidW(kTrustedInstallerSid, trustedInstaller.put()) &&
         ::EqualSid(sid, trustedInstaller.get()) != FALSE;
}

}  // namespace

void TrustedOwners::ReadSystemOwner() {
  systemOwnerRead_ = true;
  wchar_t system[MAX_PATH + 1] = {};
  const UINT length = ::GetSystemDirectoryW(system, MAX_PATH + 1);
  if (length == 0 || length > MAX_PATH)
    return;
  UniqueFile folder(::CreateFileW(system, READ_CONTROL,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (folder.valid() && OwnerOf(folder.get(), systemOwner_) != ERROR_SUCCESS)
    systemOwner_.clear();
}

DWORD TrustedOwners::IsTrusted(HANDLE handle, bool& trusted) {
  trusted = false;
  if (!systemOwnerRead_)
    ReadSystemOwner();
  std::vector<BYTE> owner;
  if (DWORD error = OwnerOf(handle, owner); error != ERROR_SUCCESS)
    return error;
  PSID sid = owner.data();
  trusted =
      ::IsWellKnownSid(sid, WinLocalSystemSid) ||
      ::IsWellKnownSid(sid, WinBuiltinAdministratorsSid) || IsTrustedInstaller(sid) ||
      (!systemOwner_.empty() && ::EqualSid(sid, const_cast<BYTE*>(systemOwner_.data())) != FALSE);
  return ERROR_SUCCESS;
}

}  // namespace tarnwick::win32
