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

struct LockCase {
  const char* label;
  std::function<void(Ops&)> arrange;
  std::uint32_t wait;
  BackupOutcome outcome;
  std::u16string path;  // what failed
  std::uint32_t status;
  std::uint32_t paused;
  std::size_t movedAside;
};

// A file at `path` (made by an administrator unless `planted`, open elsewhere when `open`), on
// which `operation` fails as `failed`.
std::function<void(Ops&)> FileAt(const std::u16string& path, bool planted, bool open,
                                 const char* operation = "", FsResult failed = {}) {
  return [=](Ops& ops) {
    ops.MakeFolder(kTarnwick);
    ops.items[path] = FakeItem::File();
    ops.items[path].trusted = !planted;
    ops.items[path].beingWritten = open;
    ops.Fail(operation, path, failed);
  };
}

TEST(RunLock, OnlyAnotherRunThatAnAdministratorStartedHoldsItOff) {
  const FsResult denied = {FsError::kAccessDenied, 5};
  const std::vector<LockCase> cases = {
      {"nothing there yet", [](Ops&) {}, 60000, BackupOutcome::kDone, kLock, 0, 0, 0},
      {"another run holds it: a switch waits a minute", FileAt(kLock, false, true), 60000,
       BackupOutcome::kBusy, kLock, 0, 60000, 0},
      {"another run holds it: the window does not wait", FileAt(kLock, false, true), 0,
       BackupOutcome::kBusy, kLock, 0, 0, 0},
      {"a planted lock file", FileAt(kLock, true, false), 0, BackupOutcome::kDone, kLock, 0, 0, 1},
      {"a planted lock file held open", FileAt(kLock, true, true), 60000,
       BackupOutcome::kFileUntrusted, kLock, 32, 0, 0},
      {"a lock file held open whose owner cannot be read",
       FileAt(kLock, false, true, "OwnerTrusted", denied), 60000, BackupOutcome::kFileUntrusted,
       kLock, 32, 0, 0},
      {"the lock file cannot be opened", FileAt(kLock, false, false, "OpenLockFile", denied), 60000,
       BackupOutcome::kFailed, kLock, 5, 0, 0},
      {"a file at Tarnwick", FileAt(kTarnwick, true, false), 0, BackupOutcome::kDone, kLock, 0, 0,
       1},
      {"a file at Tarnwick that cannot be renamed",
       FileAt(kTarnwick, true, false, "Rename", denied), 60000, BackupOutcome::kFolderUntrusted,
       kTarnwick, 5, 0, 0},
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
    EXPECT_EQ(result.movedAside.size(), c.movedAside);
    EXPECT_EQ(ops.open, result.ok() ? 3 : 0) << "the lock holds its file and both folders";
    if (result.ok())
      lock.Release();
    EXPECT_EQ(ops.open, 0);
  }
}

}  // namespace
}  // namespace tarnwick::testing
