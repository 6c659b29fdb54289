// BackupFiles in Tarnwick\Backups under the all-users application data folder
// (C:\ProgramData on Windows Vista and later), secured for administrators alone before every
// save and load.
#pragma once

#include <string>

#include "backup/secured_backup_files.h"
#include "backup/win32/win32_backup_folder_ops.h"

namespace tarnwick::win32 {

class Win32BackupFiles final : public BackupFiles {
 public:
  // The folder is looked up, made and secured at each save and load.
  Win32BackupFiles() : files_(ops_) {}
  // Backups go to Tarnwick\Backups under `base`, a full path, made and secured just the same.
  explicit Win32BackupFiles(std::u16string base) : ops_(std::move(base)), files_(ops_) {}
  Win32BackupFiles(const Win32BackupFiles&) = delete;
  Win32BackupFiles& operator=(const Win32BackupFiles&) = delete;

  SavedFile SaveNew(BackupKind kind, std::span<const std::byte> contents) override {
    return files_.SaveNew(kind, contents);
  }
  SavedFile Replace(std::u16string_view path, std::span<const std::byte> contents) override {
    return files_.Replace(path, contents);
  }
  ListedBackups ListNewestFirst() override { return files_.ListNewestFirst(); }
  LoadedFile Load(std::u16string_view path) override { return files_.Load(path); }

 private:
  Win32BackupFolderOps ops_;
  SecuredBackupFiles files_;
};

}  // namespace tarnwick::win32
