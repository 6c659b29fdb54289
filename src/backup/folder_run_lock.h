// RunLock as a file in the Tarnwick folder, which the backup keeping makes safe first: only an
// administrator can then make, open or rename anything in it. The lock is held by having that
// file open with no sharing at all; the file stays in place between runs, and a run that ends
// in any way lets go of it with its handle. The file, when open elsewhere, is another run's
// only if an administrator made it: one that anybody else made is moved aside, and where it
// cannot be, the lock fails instead of reporting a run that is not there.
#pragma once

#include <memory>
#include <string_view>

#include "backup/backup_folder_ops.h"
#include "backup/run_lock.h"
#include "backup/secure_folder.h"

namespace tarnwick {

inline constexpr std::u16string_view kRunLockFileName = u"run.lock";
// How often a waiting run tries again.
inline constexpr std::uint32_t kRunLockPollMilliseconds = 250;

class FolderRunLock final : public RunLock {
 public:
  explicit FolderRunLock(BackupFolderOps& ops) : ops_(ops) {}

  // Makes the backup folders safe (and so moves aside what took their names), then opens the
  // lock file, trying again every kRunLockPollMilliseconds while another run holds it.
  LockResult Acquire(std::uint32_t waitMilliseconds) override;
  void Release() override;

 private:
  BackupFolderOps& ops_;
  SecuredFolder folder_;  // held open, and so in place, with the file
  std::unique_ptr<OpenItem> file_;
};

}  // namespace tarnwick
