// The run lock over the real file system: its file in the Tarnwick folder under the all-users
// application data folder (see folder_run_lock.h, and Win32BackupFolderOps::OpenLockFile for
// what Windows does). No named kernel object is used: any user may create one of a name in
// Global\ first, with a DACL of their own or of another kind, and so hold every run off.
#pragma once

#include <string>

#include "backup/folder_run_lock.h"
#include "backup/win32/win32_backup_folder_ops.h"

namespace tarnwick::win32 {

class Win32RunLock final : public RunLock {
 public:
  Win32RunLock() : lock_(ops_) {}
  // The lock's file goes in Tarnwick under `base`, a full path.
  explicit Win32RunLock(std::u16string base) : ops_(std::move(base)), lock_(ops_) {}
  Win32RunLock(const Win32RunLock&) = delete;
  Win32RunLock& operator=(const Win32RunLock&) = delete;

  LockResult Acquire(std::uint32_t waitMilliseconds) override {
    return lock_.Acquire(waitMilliseconds);
  }
  void Release() override { lock_.Release(); }

 private:
  Win32BackupFolderOps ops_;
  FolderRunLock lock_;
};

}  // namespace tarnwick::win32
