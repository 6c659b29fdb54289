// The machine-wide lock that keeps Tarnwick's runs one at a time: the file run.lock in Tarnwick's
// folder, held open with no sharing from a run's first read to its last write. It counts as
// another run's only if an administrator made it; no named kernel object is used, as any user
// may take such a name first. Why: docs/security.md, "The lock".
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "backup/backup_folder.h"

namespace tarnwick {

inline constexpr std::u16string_view kRunLockFileName = u"run.lock";
// How often a waiting run tries again.
inline constexpr std::uint32_t kRunLockPollMilliseconds = 250;

class RunLock {
 public:
  explicit RunLock(BackupFolderOps& ops) : ops_(ops) {}

  // Makes the backup folders safe (and so leaves what took their names), then opens the lock
  // file, trying again every kRunLockPollMilliseconds while another run holds it, up to
  // `waitMilliseconds` (0: not at all). kDone when held, kBusy while another run holds it;
  // otherwise `path` names what failed: the folder, or the lock file.
  BackupResult Acquire(std::uint32_t waitMilliseconds);
  // Gives back a lock that Acquire took.
  void Release();

 private:
  BackupFolderOps& ops_;
  SecuredFolder folder_;  // held open with the file
  std::unique_ptr<OpenItem> file_;
};

// Holds the lock from construction to destruction, when it could be had.
class HeldRunLock {
 public:
  HeldRunLock(RunLock& lock, std::uint32_t waitMilliseconds)
      : lock_(lock), result_(lock.Acquire(waitMilliseconds)) {}
  ~HeldRunLock() {
    if (result_.ok())
      lock_.Release();
  }
  HeldRunLock(const HeldRunLock&) = delete;
  HeldRunLock& operator=(const HeldRunLock&) = delete;

  const BackupResult& result() const { return result_; }
  bool held() const { return result_.ok(); }

 private:
  RunLock& lock_;
  BackupResult result_;
};

}  // namespace tarnwick
