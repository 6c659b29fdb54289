// The machine-wide lock that keeps Tarnwick's runs one at a time: an update, a check or an undo
// reads, decides and writes with nobody else doing the same in between.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "backup/backup_files.h"
#include "backup/secure_folder.h"

namespace tarnwick {

enum class LockOutcome {
  kHeld,
  kBusy,    // another Tarnwick run held it for the whole wait
  kFailed,  // it could not be had for another reason: nothing may be done
};

struct LockResult {
  LockOutcome outcome = LockOutcome::kFailed;
  // For kFailed: how the folder that holds the lock failed, or kSecured when the lock itself
  // could not be had. `path` names what failed and `status` holds the platform's error code.
  FolderOutcome folder = FolderOutcome::kSecured;
  std::u16string path;
  std::uint32_t status = 0;
  // For kFailed with kSecured: the lock file is not one that an administrator made, and it
  // could not be moved aside.
  bool notOurs = false;
  std::vector<MovedAside> movedAside = {};  // entries renamed on the way, whatever the outcome

  bool held() const { return outcome == LockOutcome::kHeld; }
};

inline LockResult LockResultOf(LockOutcome outcome) {
  LockResult result;
  result.outcome = outcome;
  return result;
}

class RunLock {
 public:
  virtual ~RunLock() = default;
  // Takes the lock, waiting up to `waitMilliseconds` while another run holds it (0: not at
  // all).
  virtual LockResult Acquire(std::uint32_t waitMilliseconds) = 0;
  // Gives back a lock that Acquire took.
  virtual void Release() = 0;
};

// Holds the lock from construction to destruction, when it could be had.
class HeldRunLock {
 public:
  HeldRunLock(RunLock& lock, std::uint32_t waitMilliseconds)
      : lock_(lock), result_(lock.Acquire(waitMilliseconds)) {}
  ~HeldRunLock() {
    if (result_.held())
      lock_.Release();
  }
  HeldRunLock(const HeldRunLock&) = delete;
  HeldRunLock& operator=(const HeldRunLock&) = delete;

  const LockResult& result() const { return result_; }
  bool held() const { return result_.held(); }

 private:
  RunLock& lock_;
  LockResult result_;
};

}  // namespace tarnwick
