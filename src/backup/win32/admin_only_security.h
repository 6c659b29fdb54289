// The security of everything Tarnwick keeps, and who may have made what it finds.
//
// Only SYSTEM and Administrators are granted anything, on Tarnwick's folders, on every file in
// them (the backups and the run lock) and on the registry key that records which folder is in
// use; each descriptor is protected, so nothing is inherited from above, and nothing that is
// inherited below grants anybody else anything. Owned by Administrators.
// What that closes on Windows: nobody else can list, read, write, make, rename or remove
// anything there, or hold a file there open for reading, writing or deleting (so no sharing mode
// of theirs can refuse Tarnwick's opens); the list right that would give them attribute access to
// every file in a folder ("Access to a file's attributes is controlled by two things", The Old
// New Thing, 2015-04-28) is not granted either.
// What it does not close: anyone may open a file or folder whose full name they know with no
// access at all, or for its attributes alone, whatever its DACL says (CreateFileW: "If this
// parameter is zero, the application can query certain metadata ... even if GENERIC_READ access
// would have been denied"), and may ask for an oplock on such a handle; Windows up to some
// releases of Windows 10 let them make a hard link to a file that they may not write. Neither
// changes the file's owner, DACL or bytes. So the program's opens never wait on an oplock
// (Win32BackupFolderOps), and it reads a backup whatever names it has. Administrators and SYSTEM
// (scanners, backup agents) can still hold anything open, which the program tries again for a
// moment and then reports. And a volume that keeps no permissions (FAT, exFAT) keeps none of
// this: there, the descriptors are not stored at all (CreateDirectoryW, CreateFileW: "If the
// underlying file system does not support security on files and directories, this parameter has
// no effect").
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/win32/unique_handle.h"

namespace tarnwick::win32 {

// Tarnwick's folders: what is made in them inherits the same.
inline constexpr wchar_t kAdminOnlyFolderSddl[] = L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
// The backups and the run lock's file.
inline constexpr wchar_t kAdminOnlyFileSddl[] = L"O:BAD:P(A;;FA;;;SY)(A;;FA;;;BA)";
// The registry key that records the folder in use.
inline constexpr wchar_t kAdminOnlyKeySddl[] = L"O:BAD:P(A;CI;KA;;;SY)(A;CI;KA;;;BA)";

class AdminOnlySecurity {
 public:
  // Builds the descriptor from `sddl`; `error` is ERROR_SUCCESS, or why it could not be built.
  explicit AdminOnlySecurity(const wchar_t* sddl);
  AdminOnlySecurity(const AdminOnlySecurity&) = delete;
  AdminOnlySecurity& operator=(const AdminOnlySecurity&) = delete;

  DWORD error() const { return error_; }
  PSECURITY_DESCRIPTOR descriptor() const { return descriptor_.get(); }
  // For CreateFileW, CreateDirectoryW and RegCreateKeyExW: the object is made with this
  // security. Nothing that exists is given it later: setting a folder's DACL waits until
  // whoever holds a read-handle oplock on it (which anyone who may list its parent can ask for,
  // from Windows 8 on) acknowledges the break ([MS-FSA] 2.1.5.17, 2.1.4.12: SET_SECURITY breaks
  // handle caching and waits).
  SECURITY_ATTRIBUTES* attributes() { return error_ == ERROR_SUCCESS ? &attributes_ : nullptr; }

 private:
  UniqueLocal descriptor_;
  SECURITY_ATTRIBUTES attributes_ = {};
  DWORD error_ = ERROR_SUCCESS;
};

// Who may have made a folder, file or key that the program reads and writes as administrator:
// only an owner that a standard user cannot be, SYSTEM, Administrators, TrustedInstaller or the
// Windows system directory's owner. The last counts for platforms that report one owner for
// every object (Wine reports its Unix user); on Windows it is TrustedInstaller or Administrators
// anyway.
class OwnerRule {
 public:
  // `systemDirectory` names the Windows system directory, whose owner is read at the first
  // question.
  explicit OwnerRule(std::wstring systemDirectory) : systemDirectory_(std::move(systemDirectory)) {}

  // Whether the object open as `handle` (with READ_CONTROL) has such an owner; ERROR_SUCCESS,
  // or why its owner could not be read.
  DWORD Trusted(HANDLE handle, bool& trusted);
  DWORD Trusted(HKEY key, bool& trusted);

 private:
  DWORD Judge(DWORD read, const std::vector<BYTE>& owner, bool& trusted);

  std::wstring systemDirectory_;
  std::optional<std::vector<BYTE>> systemOwner_;  // a SID; empty when it could not be read
};

}  // namespace tarnwick::win32
