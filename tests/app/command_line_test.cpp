#include "app/command_line.h"

#include <gtest/gtest.h>

#include <numeric>

#include "backup/backup_messages.h"
#include "fake_backup_folder_ops.h"
#include "fake_system_info.h"
#include "log/activity_log.h"
#include "memory_registry.h"
#include "update/undo.h"
#include "update/update_and_check.h"
#include "xp_sp3.h"

namespace tarnwick::testing {
namespace {

TEST(CommandLine, SwitchesInAnyCaseWithSlashOrDash) {
  const struct {
    std::u16string_view arguments;
    Invocation expected;
  } cases[] = {
      {u"", Invocation::kWindow},
      {u"   ", Invocation::kWindow},
      {u"/update", Invocation::kUpdate},
      {u"-UPDATE", Invocation::kUpdate},
      {u"  /Update  ", Invocation::kUpdate},
      {u"\"/update\"", Invocation::kUpdate},
      {u"/check", Invocation::kCheck},
      {u"-Check", Invocation::kCheck},
      {u"/UNDO", Invocation::kUndo},
      {u"/undo /check", Invocation::kInvalid},
      {u"/?", Invocation::kUsage},
      {u"-?", Invocation::kUsage},
      {u"/update /update", Invocation::kInvalid},
      {u"/update extra", Invocation::kInvalid},
      {u"update", Invocation::kInvalid},
      {u"/updates", Invocation::kInvalid},
      {u"/u", Invocation::kInvalid},
      {u"/", Invocation::kInvalid},
      {u"\"\"", Invocation::kInvalid},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.arguments.begin(), c.arguments.end()));
    EXPECT_EQ(ParseCommandLine(c.arguments), c.expected);
  }
}

TEST(CommandLine, ExitCodesAreTheInstallerOnes) {
  EXPECT_EQ(ExitCodeFor(Invocation::kUpdate, UpdateOutcome::kNothingToChange), 0u);
  EXPECT_EQ(ExitCodeFor(Invocation::kUpdate, UpdateOutcome::kChanged), 3010u);
  EXPECT_EQ(ExitCodeFor(Invocation::kUpdate, UpdateOutcome::kFailed), 1603u);
  EXPECT_EQ(ExitCodeFor(Invocation::kCheck, UpdateOutcome::kNothingToChange), 0u);
  EXPECT_EQ(ExitCodeFor(Invocation::kCheck, UpdateOutcome::kChanged), 1u)
      << "detection: needs fixing";
  EXPECT_EQ(ExitCodeFor(Invocation::kCheck, UpdateOutcome::kFailed), 1603u);
  EXPECT_EQ(ExitCodeFor(Invocation::kUndo, UpdateOutcome::kNothingToChange), 0u);
  EXPECT_EQ(ExitCodeFor(Invocation::kUndo, UpdateOutcome::kChanged), 3010u);
  EXPECT_EQ(ExitCodeFor(Invocation::kUndo, UpdateOutcome::kFailed), 1603u);
}

TEST(CommandLine, ASwitchWaitsAMinuteForAnotherRunThenDoesNothingWith1618) {
  MemoryRegistry registry;
  SeedXpSp3(registry);
  FakeBackupFolderOps backupOps;
  BackupFiles backups(backupOps);
  FakeSystemInfo system;
  RunLock lock(backupOps);
  backupOps.HoldLockElsewhere();
  for (Invocation invocation : {Invocation::kUpdate, Invocation::kCheck, Invocation::kUndo}) {
    ActivityLog log;
    EXPECT_EQ(RunSwitch(invocation, {registry, backups, system, lock}, log), kExitBusy);
    EXPECT_EQ(log.Text(),
              u"\r\nAnother Tarnwick run is in progress, so nothing was done. Try "
              u"again when it has finished.");
  }
  EXPECT_EQ(std::accumulate(backupOps.pauses.begin(), backupOps.pauses.end(), 0u), 3 * 60000u);
  // Had by nobody, yet not to be had: no 1618, and why.
  backupOps.HoldLockElsewhere(false);
  backupOps.Fail("OpenLockFile", u"", SystemError{1450});
  ActivityLog log;
  EXPECT_EQ(RunSwitch(Invocation::kUpdate, {registry, backups, system, lock}, log), kExitFailed);
  EXPECT_EQ(log.Text(), u"\r\n" + LockFailureMessage({BackupOutcome::kFailed,
                                                      std::u16string(backupOps.kLock), 1450}));
  EXPECT_EQ(registry.SetValueCalls(), 0);
  EXPECT_TRUE(backupOps.Backups().empty());
}

}  // namespace
}  // namespace tarnwick::testing
