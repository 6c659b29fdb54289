// BackupFiles in Tarnwick\Backups under the user's local application data folder, which
// shell32's SHGetFolderPathW names (shell32 loaded from the system directory by its full path).
#pragma once

#include <string>

#include "platform/backup_files.h"

namespace tarnwick::win32 {

class Win32BackupFiles final : public BackupFiles {
 public:
  // The folder is looked up, and made, at the first save.
  Win32BackupFiles() = default;
  // Backups go to `folder`, a full path, made when missing.
  explicit Win32BackupFiles(std::u16string folder) : folder_(std::move(folder)) {}

  SavedFile SaveNew(std::span<const std::byte> contents) override;
  SavedFile Replace(std::u16string_view path, std::span<const std::byte> contents) override;

 private:
  std::u16string folder_;
};

}  // namespace tarnwick::win32
