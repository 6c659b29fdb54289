#include "backup/run_lock.h"

#include <algorithm>
#include <optional>
#include <string>

namespace tarnwick {
namespace {

// A lock file found not to be ours is moved aside at most so often in one Acquire.
constexpr int kMaxAsides = 4;

}  // namespace

BackupResult RunLock::Acquire(std::uint32_t waitMilliseconds) {
  if (file_ != nullptr)
    return {BackupOutcome::kDone, {}, 0};
  SecuredFolder folder = SecureBackupFolder(ops_, true);
  BackupResult result{folder.outcome, folder.path, folder.status, std::move(folder.movedAside)};
  if (!folder.ok())
    return result;
  // Beside the Backups folder, in the Tarnwick folder.
  result.path =
      folder.path.substr(0, folder.path.rfind(u'\\') + 1) + std::u16string(kRunLockFileName);
  std::uint32_t waited = 0;
  for (int asides = 0;;) {
    Opened opened = ops_.OpenLockFile(result.path);
    SystemError status;
    std::optional<EntryForm> form;
    if (opened.result.ok()) {
      form = Distrusted(opened, false, false, status);
      if (!form) {
        file_ = std::move(opened.item);
        folder_ = std::move(folder);
        return result;
      }
      opened.item.reset();  // closed first: an open file cannot be renamed
    } else if (opened.result.error == FsError::kInUse) {
      // Open elsewhere. Looked at without access to its contents, which no sharing mode
      // refuses: another run holds it only if an administrator made it.
      Opened seen = ops_.OpenFolder(result.path);
      if (seen.result.error == FsError::kNotFound && ++asides <= kMaxAsides)
        continue;  // gone since: tried again
      form = Distrusted(seen, false, false, status);
      seen.item.reset();
      if (!form) {
        if (waited >= waitMilliseconds) {
          result.outcome = BackupOutcome::kBusy;
          return result;
        }
        const std::uint32_t pause = std::min(kRunLockPollMilliseconds, waitMilliseconds - waited);
        ops_.Pause(pause);
        waited += pause;
        continue;
      }
    } else {
      result.outcome = BackupOutcome::kFailed;
      result.status = opened.result.code;
      return result;
    }
    std::u16string aside;
    const FsResult moved =
        ++asides > kMaxAsides ? FsResult{FsError::kOther, 0} : MoveAside(ops_, result.path, aside);
    if (!moved.ok() && moved.error != FsError::kNotFound) {
      result.outcome = BackupOutcome::kFileUntrusted;
      result.status = moved.code;
      return result;
    }
    if (moved.ok())
      result.movedAside.push_back({result.path, aside, *form, status});
  }
}

void RunLock::Release() {
  file_.reset();
  folder_ = {};
}

}  // namespace tarnwick
