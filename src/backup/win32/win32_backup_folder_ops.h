// BackupFolderOps over kernel32, ntdll and advapi32, under the all-users application data folder
// (C:\ProgramData on Windows Vista and later). Items are opened as themselves, never through a
// link, without ever waiting on an oplock, and get their security through their own handle;
// their owners are judged by who a standard user cannot be (admin_only_security.h), and the
// folder in use is recorded in the registry (folder_record.h).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "backup/backup_folder_ops.h"
#include "backup/win32/admin_only_security.h"
#include "backup/win32/folder_record.h"
#include "platform/system_info.h"
#include "platform/win32/run_time_functions.h"

namespace tarnwick::win32 {

class Win32BackupFolderOps final : public BackupFolderOps {
 public:
  // `system` names the Windows system directory, from which shell32 is loaded by its full path
  // and whose owner and volume the trust rules compare with; `functions`, which must outlive
  // this object, has ntdll's; `base` names the folder that Tarnwick's folder goes under (empty:
  // the all-users application data folder, which shell32's SHGetFolderPathW names); `recordKey`
  // the key under HKLM that records the folder in use.
  Win32BackupFolderOps(SystemInfoApi& system, const RunTimeFunctions& functions,
                       std::u16string base = {}, std::wstring recordKey = kFolderRecordKey);
  Win32BackupFolderOps(SystemInfoApi&, RunTimeFunctions&&, std::u16string = {},
                       std::wstring = kFolderRecordKey) = delete;

  SystemError BaseFolder(std::u16string& path) override;
  SystemError Permissions(std::u16string_view path, VolumePermissions& kept) override;
  SystemError RecordedFolder(std::u16string& name) override;
  SystemError RecordFolder(std::u16string_view name) override;
  SystemError MakeFolder(std::u16string_view path) override;
  Opened OpenEntry(std::u16string_view path) override;
  Opened OpenLockFile(std::u16string_view path) override;
  Opened OpenFileToRead(std::u16string_view path) override;
  SystemError ListFiles(std::u16string_view path, std::vector<std::u16string>& names) override;
  SystemError WriteNewFile(std::u16string_view path, std::span<const std::byte> contents) override;
  BackupStamp LocalTime() override;
  std::uint64_t Unforeseeable() override;
  void Pause(std::uint32_t milliseconds) override;

 private:
  Opened Open(std::u16string_view path, ACCESS_MASK access, ULONG share, ULONG disposition,
              bool oplockedIsFine, AdminOnlySecurity* security = nullptr);

  SystemInfoApi& system_;
  std::u16string base_;
  std::wstring recordKey_;
  const RunTimeFunctions& functions_;
  AdminOnlySecurity folderSecurity_{kAdminOnlyFolderSddl};
  AdminOnlySecurity fileSecurity_{kAdminOnlyFileSddl};
  AdminOnlySecurity keySecurity_{kAdminOnlyKeySddl};
  OwnerRule owners_;
  std::uint64_t draws_ = 0;
};

}  // namespace tarnwick::win32
