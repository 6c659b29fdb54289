// BackupFolderOps over kernel32 and advapi32, in Tarnwick\Backups under the all-users
// application data folder (C:\ProgramData on Windows Vista and later). Items are opened as
// themselves, never through a link, and get their security through their own handle; their
// owners are judged by who a standard user cannot be.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "backup/backup_folder_ops.h"
#include "platform/win32/unique_handle.h"

namespace tarnwick::win32 {

// The security every backup folder and file gets: made owned by Administrators, with a protected
// DACL (nothing inherited) in which SYSTEM and Administrators have full control, the owner
// as such (OWNER RIGHTS) may only read, and Users may only read and list.
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
  AdminOnlySecurity(const AdminOnlySecurity&) = delete;
  AdminOnlySecurity& operator=(const AdminOnlySecurity&) = delete;

  DWORD error() const { return error_; }
  PSECURITY_DESCRIPTOR descriptor() const { return descriptor_.get(); }
  // For CreateFileW and CreateDirectoryW: the object is made with this security.
  SECURITY_ATTRIBUTES* attributes() { return error_ == ERROR_SUCCESS ? &attributes_ : nullptr; }
  // Sets the protected DACL of the object open as `handle` (opened with WRITE_DAC), and of
  // nothing else; its owner stays as it is. The Win32 error code, ERROR_SUCCESS when set.
  DWORD ApplyTo(HANDLE handle) const;

 private:
  UniqueLocal descriptor_;
  SECURITY_ATTRIBUTES attributes_ = {};
  DWORD error_ = ERROR_SUCCESS;
};

class Win32BackupFolderOps final : public BackupFolderOps {
 public:
  // `base` names the folder that the backup folders go under; empty: the all-users application
  // data folder, which shell32's SHGetFolderPathW names (shell32 loaded from the system
  // directory by its full path).
  explicit Win32BackupFolderOps(std::u16string base = {}) : base_(std::move(base)) {}

  FsResult BaseFolder(std::u16string& path) override;
  FsResult MakeFolder(std::u16string_view path) override;
  Opened OpenFolder(std::u16string_view path) override;
  Opened OpenFileToLoad(std::u16string_view path) override;
  Opened OpenLockFile(std::u16string_view path) override;
  FsResult ListFiles(std::u16string_view path, std::vector<std::u16string>& names) override;
  FsResult WriteNewFile(std::u16string_view path, std::span<const std::byte> contents) override;
  FsResult Remove(std::u16string_view path) override;
  FsResult MoveOver(std::u16string_view from, std::u16string_view to) override;
  FsResult Rename(std::u16string_view from, std::u16string_view to) override;
  BackupStamp LocalTime() override;
  void Pause(std::uint32_t milliseconds) override;

  // Who may have made a folder or file that the program reads and writes as administrator: only
  // an owner that a standard user cannot be. Whether the object open as `handle` (with
  // READ_CONTROL) is owned by SYSTEM, Administrators, TrustedInstaller or the system directory's
  // owner; ERROR_SUCCESS, or why its owner could not be read. The system directory's owner
  // counts for platforms that report one owner for every object (Wine reports its Unix user); on
  // Windows it is TrustedInstaller or Administrators anyway. It is read at the first question.
  DWORD OwnerTrusted(HANDLE handle, bool& trusted);
  const AdminOnlySecurity& security() const { return security_; }

 private:
  std::u16string base_;
  AdminOnlySecurity security_;
  AdminOnlySecurity lockSecurity_{kLockFileSddl};
  std::optional<std::vector<BYTE>> systemOwner_;  // a SID; empty when it could not be read
};

}  // namespace tarnwick::win32
