#include "backup/run_lock.h"

#include <algorithm>
#include <optional>
#include <string>

namespace tarnwick {
namespace {

// Lock files found not to be usable, each with its folder, in one Acquire; and looks at one
// that disappears between being found open elsewhere and being looked at.
constexpr int kMaxLeft = 4;
constexpr int kMaxLooks = 4;

}  // namespace

BackupResult RunLock::Acquire(std::uint32_t waitMilliseconds) {
  if (file_ != nullptr)
    return {BackupOutcome::kDone, {}, 0};
  std::optional<NotUsed> left;
  std::vector<NotUsed> notUsed;
  std::uint32_t waited = 0;
  for (int lefts = 0;; ++lefts) {
    SecuredFolder folder = SecureBackupFolder(ops_, true, left ? &*left : nullptr);
    notUsed.insert(notUsed.end(), folder.notUsed.begin(), folder.notUsed.end());
    BackupResult result{folder.outcome, folder.path, folder.status, notUsed, folder.unprotected};
    if (!folder.ok())
      return result;
    // Beside the Backups folder, in Tarnwick's folder.
    result.path =
        folder.path.substr(0, folder.path.rfind(u'\\') + 1) + std::u16string(kRunLockFileName);
    auto end = [&](BackupOutcome outcome, SystemError status = {}) {
      result.outcome = outcome;
      result.status = std::move(status);
      return result;
    };
    if (lefts == kMaxLeft)
      return end(BackupOutcome::kFileUntrusted);
    SystemError status;
    std::optional<EntryForm> form;
    for (int looks = 0;;) {
      Opened opened = ops_.OpenLockFile(result.path);
      const bool inUse = KindOf(opened.result) == FsError::kInUse;
      if (!opened.result.ok() && !inUse)
        return end(BackupOutcome::kFailed, opened.result);
      // Open elsewhere: looked at without access to its contents, which no sharing mode
      // refuses. Another run holds it only if an administrator made it.
      if (inUse)
        opened = ops_.OpenEntry(result.path);
      if (inUse && KindOf(opened.result) == FsError::kNotFound && ++looks < kMaxLooks)
        continue;  // gone since: tried again
      if ((form = Distrusted(opened, false, folder.unprotected, status)))
        break;
      if (!inUse) {
        file_ = std::move(opened.item);
        folder_ = std::move(folder);
        return result;
      }
      if (waited >= waitMilliseconds)
        return end(BackupOutcome::kBusy);
      const std::uint32_t pause = std::min(kRunLockPollMilliseconds, waitMilliseconds - waited);
      ops_.Pause(pause);
      waited += pause;
    }
    left = NotUsed{result.path, *form, status};
  }
}

void RunLock::Release() {
  file_.reset();
  folder_ = {};
}

}  // namespace tarnwick
