// BackupFiles in the secured backup folder: every save, replacement and load first makes the
// folders safe (see secure_folder.h) and keeps them open until it is done; files are made with
// administrators-only security, and a file is made safe as well before it is read.
#pragma once

#include <cstddef>

#include "backup/backup_files.h"
#include "backup/backup_folder_ops.h"

namespace tarnwick {

class SecuredBackupFiles final : public BackupFiles {
 public:
  explicit SecuredBackupFiles(BackupFolderOps& ops) : ops_(ops) {}

  SavedFile SaveNew(BackupKind kind, std::span<const std::byte> contents) override;
  SavedFile Replace(std::u16string_view path, std::span<const std::byte> contents) override;
  ListedBackups ListNewestFirst() override;
  LoadedFile Load(std::u16string_view path) override;

 private:
  BackupFolderOps& ops_;
};

}  // namespace tarnwick
