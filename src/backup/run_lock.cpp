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
    if (lefts == kMaxLeft) {
      result.outcome = BackupOutcome::kFileUntrusted;
      return result;
    }
    SystemError status;
    std::optional<EntryForm> form;
    for (int looks = 0; !form;) {
      Opened opened = ops_.OpenLockFile(result.path);
      if (opened.result.ok()) {
        form = Distrusted(opened, false, folder.unprotected, status);
        if (!form) {
          file_ = std::move(opened.item);
          folder_ = std::move(folder);
          return result;
        }
      } else if (KindOf(opened.result) == FsError::kInUse) {
        // Open elsewhere. Looked at without access to its contents, which no sharing mode
        // refuses: another run holds it only if an administrator made it.
        Opened seen = ops_.OpenEntry(result.path);
        if (KindOf(seen.result) == FsError::kNotFound && ++looks < kMaxLooks)
          continue;  // gone since: tried again
        form = Distrusted(seen, false, folder.unprotected, status);
        if (form)
          break;
        if (waited >= waitMilliseconds) {
          result.outcome = BackupOutcome::kBusy;
          return result;
        }
        const std::uint32_t pause = std::min(kRunLockPollMilliseconds, waitMilliseconds - waited);
        ops_.Pause(pause);
        waited += pause;
      } else {
        result.outcome = BackupOutcome::kFailed;
        result.status = opened.result;
        return result;
      }
    }
    left = NotUsed{result.path, *form, status};
  }
}

void RunLock::Release() {
  file_.reset();
  folder_ = {};
}

}  // namespace tarnwick
