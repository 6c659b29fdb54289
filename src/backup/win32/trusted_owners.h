// Who may have made a folder or file that the program reads and writes as administrator: only
// an owner that a standard user cannot be.
#pragma once

#include <windows.h>

#include <vector>

namespace tarnwick::win32 {

class TrustedOwners {
 public:
  // Whether the object open as `handle` (with READ_CONTROL) is owned by SYSTEM, Administrators,
  // TrustedInstaller or the system directory's owner; ERROR_SUCCESS, or why its owner could not
  // be read. The system directory's owner counts for platforms that report one owner for every
  // object (Wine reports its Unix user); on Windows it is TrustedInstaller or Administrators
  // anyway. It is read at the first question, not before.
  DWORD IsTrusted(HANDLE handle, bool& trusted);

 private:
  void ReadSystemOwner();

  bool systemOwnerRead_ = false;
  std::vector<BYTE> systemOwner_;  // a SID; empty when it could not be read
};

}  // namespace tarnwick::win32
