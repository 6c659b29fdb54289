// BackupFolderOps over kernel32 and advapi32. Items are opened as themselves, never through a
// link, and get their security through their own handle.
#pragma once

#include <string>

#include "backup/backup_folder_ops.h"
#include "backup/win32/admin_only_security.h"
#include "backup/win32/trusted_owners.h"

namespace tarnwick::win32 {

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

 private:
  std::u16string base_;
  AdminOnlySecurity security_;
  AdminOnlySecurity lockSecurity_{kLockFileSddl};
  TrustedOwners owners_;
};

}  // namespace tarnwick::win32
