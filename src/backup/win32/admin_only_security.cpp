#include "backup/win32/admin_only_security.h"

#include <sddl.h>

namespace tarnwick::win32 {
namespace {

// NT SERVICE\TrustedInstaller, which owns the system's own files from Vista on.
constexpr wchar_t kTrustedInstallerSid[] =
    L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

// The owner SID out of the descriptor that `get` reads into a buffer of the size it is given
// (a Win32 error code: ERROR_INSUFFICIENT_BUFFER with `needed` set when it is too small).
template <typename Get>
DWORD OwnerOf(Get get, std::vector<BYTE>& owner) {
  std::vector<BYTE> descriptor(256);
  for (DWORD needed = 0;;) {
    const DWORD error = get(descriptor.data(), static_cast<DWORD>(descriptor.size()), needed);
    if (error == ERROR_SUCCESS)
      break;
    if (error != ERROR_INSUFFICIENT_BUFFER || needed <= descriptor.size())
      return error;
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

DWORD OwnerOf(HANDLE handle, std::vector<BYTE>& owner) {
  return OwnerOf(
      [&](BYTE* buffer, DWORD size, DWORD& needed) -> DWORD {
        if (::GetKernelObjectSecurity(handle, OWNER_SECURITY_INFORMATION, buffer, size, &needed))
          return ERROR_SUCCESS;
        const DWORD error = ::GetLastError();
        return error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE;
      },
      owner);
}

bool IsTrustedInstaller(PSID sid) {
  UniqueLocal trustedInstaller;
  return ::ConvertStringSidToSidW(kTrustedInstallerSid, trustedInstaller.put()) &&
         ::EqualSid(sid, trustedInstaller.get()) != FALSE;
}

}  // namespace

AdminOnlySecurity::AdminOnlySecurity(const wchar_t* sddl) {
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1,
                                                              descriptor_.put(), nullptr)) {
    error_ = ::GetLastError();
    descriptor_.reset();
    return;
  }
  attributes_ = {sizeof(attributes_), descriptor_.get(), FALSE};
}

DWORD OwnerRule::Judge(DWORD read, const std::vector<BYTE>& owner, bool& trusted) {
  trusted = false;
  if (read != ERROR_SUCCESS)
    return read;
  if (!systemOwner_) {
    systemOwner_.emplace();
    UniqueFile folder(::CreateFileW(systemDirectory_.c_str(), READ_CONTROL,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!folder.valid() || OwnerOf(folder.get(), *systemOwner_) != ERROR_SUCCESS)
      systemOwner_->clear();
  }
  const PSID sid = const_cast<BYTE*>(owner.data());
  trusted = ::IsWellKnownSid(sid, WinLocalSystemSid) ||
            ::IsWellKnownSid(sid, WinBuiltinAdministratorsSid) || IsTrustedInstaller(sid) ||
            (!systemOwner_->empty() && ::EqualSid(sid, systemOwner_->data()) != FALSE);
  return ERROR_SUCCESS;
}

DWORD OwnerRule::Trusted(HANDLE handle, bool& trusted) {
  std::vector<BYTE> owner;
  return Judge(OwnerOf(handle, owner), owner, trusted);
}

DWORD OwnerRule::Trusted(HKEY key, bool& trusted) {
  std::vector<BYTE> owner;
  const DWORD read = OwnerOf(
      [&](BYTE* buffer, DWORD size, DWORD& needed) -> DWORD {
        needed = size;
        return ::RegGetKeySecurity(key, OWNER_SECURITY_INFORMATION, buffer, &needed);
      },
      owner);
  return Judge(read, owner, trusted);
}

}  // namespace tarnwick::win32
