#include "backup/run_lock.h"

#include <gtest/gtest.h>

#include <functional>
#include <numeric>

#include "fake_backup_folder_ops.h"

namespace tarnwick::testing {
namespace {

using Ops = FakeBackupFolderOps;
const std::u16string kTarnwick(Ops::kTarnwick);
const std::u16string kLock = kTarnwick + u"\\run.lock";

const std::u16string kChosenLock = std::u16string(Ops::kChosen) + u"\\run.lock";

struct LockCase {
  const char* label;
  std::function<void(Ops&)> arrange;
  std::uint32_t wait;
  BackupOutcome outcome;
  std::u16string path;  // the lock file, or what failed
  std::uint32_t status;
  std::uint32_t paused;
  std::size_t left;  // entries not used
};

// A file at `path` in this release's Tarnwick (made by an administrator unless `planted`, open
// elsewhere when `open`), on which `operation` fails as `failed`.
std::function<void(Ops&)> FileAt(const std::u16string& path, bool planted, bool open,
                                 const char* operation = "", SystemError failed = {}) {
  return [=](Ops& ops) {
    ops.MakeFolder(kTarnwick);
    ops.record = u"Tarnwick";
    ops.items[path] = FakeItem::File();
    ops.items[path].trusted = !planted;
    ops.items[path].beingWritten = open;
    ops.Fail(operation, path, failed);
  };
}

TEST(RunLock, OnlyAnotherRunThatAnAdministratorStartedHoldsItOff) {
  const SystemError denied = SystemError{5};
  const std::vector<LockCase> cases = {
      {"nothing there yet", [](Ops&) {}, 60000, BackupOutcome::kDone, kLock, 0, 0, 0},
      {"another run holds it: a switch waits a minute", FileAt(kLock, false, true), 60000,
       BackupOutcome::kBusy, kLock, 0, 60000, 0},
      {"another run holds it: the window does not wait", FileAt(kLock, false, true), 0,
       BackupOutcome::kBusy, kLock, 0, 0, 0},
      // Held through an oplock that an open breaks: it is had all the same, and never read.
      {"an oplock on it",
       [](Ops& ops) {
         FileAt(kLock, false, false)(ops);
         ops.items[kLock].oplocked = true;
       },
       0, BackupOutcome::kDone, kLock, 0, 0, 0},
      // Neither a planted file nor one whose owner is unknown holds a run off or is taken for
      // one: it is left with its folder.
      {"a planted lock file", FileAt(kLock, true, false), 0, BackupOutcome::kDone, kChosenLock, 0,
       0, 1},
      {"a planted lock file held open", FileAt(kLock, true, true), 60000, BackupOutcome::kDone,
       kChosenLock, 0, 0, 1},
      {"a lock file held open whose owner cannot be read",
       FileAt(kLock, false, true, "OwnerTrusted", denied), 60000, BackupOutcome::kDone, kChosenLock,
       0, 0, 1},
      {"a folder where the lock file belongs",
       [](Ops& ops) {
         FileAt(kLock, false, false)(ops);
         ops.items[kLock] = FakeItem::Folder();
       },
       0, BackupOutcome::kDone, kChosenLock, 0, 0, 1},
      {"the lock file cannot be opened", FileAt(kLock, false, false, "OpenLockFile", denied), 60000,
       BackupOutcome::kFailed, kLock, 5, 0, 0},
      {"a file at Tarnwick", [](Ops& ops) { ops.items[kTarnwick] = FakeItem::File().Planted(); }, 0,
       BackupOutcome::kDone, kChosenLock, 0, 0, 1},
  };
  for (const LockCase& c : cases) {
    SCOPED_TRACE(c.label);
    Ops ops;
    c.arrange(ops);
    RunLock lock(ops);
    const BackupResult result = lock.Acquire(c.wait);
    EXPECT_EQ(result.outcome, c.outcome);
    EXPECT_EQ(result.path, c.path);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(std::accumulate(ops.pauses.begin(), ops.pauses.end(), 0u), c.paused);
    EXPECT_EQ(result.notUsed.size(), c.left);
    EXPECT_EQ(ops.open, result.ok() ? 3 : 0) << "the lock holds its file and both folders";
    if (result.ok())
      lock.Release();
    EXPECT_EQ(ops.open, 0);
    RunLock later(ops);
    if (result.ok()) {
      EXPECT_EQ(later.Acquire(0).path, c.path) << "a later run takes the same lock";
    }
  }
}

}  // namespace
}  // namespace tarnwick::testing
