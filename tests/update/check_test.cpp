#include <gtest/gtest.h>

#include "fake_backup_folder_ops.h"
#include "fake_system_info.h"
#include "log/activity_log.h"
#include "memory_registry.h"
#include "stored_forms.h"
#include "update/update_and_check.h"

namespace tarnwick::testing {
namespace {

// The update's log as the check writes it: where the update adds a name, the check says that
// it would, and nothing of the backup or the write.
std::u16string AsCheckLog(std::u16string_view updateLog) {
  std::u16string check;
  std::size_t start = 0;
  while (start < updateLog.size()) {
    std::size_t end = updateLog.find(u"\r\n", start + 2);
    if (end == std::u16string_view::npos)
      end = updateLog.size();
    const std::u16string_view entry = updateLog.substr(start, end - start);
    constexpr std::u16string_view kAdding = u"\r\nAdding Value ";
    if (entry.starts_with(kAdding)) {
      const auto name =
          entry.substr(kAdding.size(), entry.find(u" to registry key.") - kAdding.size());
      check += u"\r\n" + std::u16string(name) + u" is missing: the update would add it";
    } else if (!entry.starts_with(u"\r\nBackup saved to: ") &&
               !entry.starts_with(u"\r\nKey updated to value: ")) {
      check += entry;
    }
    start = end;
  }
  return check;
}

TEST(CheckAuthProtocols, DecidesAsTheUpdateDoesAndChangesNothing) {
  for (const StoredForm& form : StoredForms()) {
    SCOPED_TRACE(form.label);
    MemoryRegistry registry;
    SeedForm(registry, form);
    MemoryRegistry updated = registry;
    const int seeded = registry.SetValueCalls();

    ActivityLog checkLog;
    FakeSystemInfo system;
    system.windows = form.windows;
    if (!form.credssp)
      system.systemFiles.clear();
    const UpdateOutcome checked = CheckAuthProtocols(registry, system, checkLog);
    EXPECT_EQ(registry.SetValueCalls(), seeded) << "the check writes nothing";
    EXPECT_EQ(registry.OpenHandles(), 0);

    FakeBackupFolderOps backupOps;
    BackupFiles backups(backupOps);
    ActivityLog updateLog;
    EXPECT_EQ(UpdateAuthProtocols(updated, backups, system, updateLog), checked);
    EXPECT_EQ(checked, form.outcome);
    EXPECT_EQ(checkLog.Text(), AsCheckLog(updateLog.Text()));
  }
}

TEST(CheckAuthProtocols, WindowsXpNeedsBothNames) {
  MemoryRegistry registry;
  SeedXpSp3(registry);
  ActivityLog log;
  FakeSystemInfo xp;
  EXPECT_EQ(CheckAuthProtocols(registry, xp, log), UpdateOutcome::kChanged);
  EXPECT_NE(log.Text().find(u"\r\nCurrent Value: kerberos msv1_0 schannel wdigest "
                            u"\r\ntspkg is missing: the update would add it\r\nStep 1 Complete"),
            std::u16string::npos);
  EXPECT_NE(log.Text().find(u"\r\ncredssp.dll is missing: the update would add it\r\nStep 2"),
            std::u16string::npos);
}

TEST(CheckAuthProtocols, AValueThatCannotBeReadOrHasAnotherTypeFails) {
  MemoryRegistry registry;
  SeedXpSp3(registry);
  registry.Seed(kHkeyLocalMachine, kLsaKey, kPackagesValue, kRegSz, SzBytes(u"kerberos"));
  ActivityLog log;
  FakeSystemInfo windows10;
  windows10.windows = {10, 0, 19045};
  EXPECT_EQ(CheckAuthProtocols(registry, windows10, log), UpdateOutcome::kFailed);
  EXPECT_NE(log.Text().find(u"is a REG_SZ value where REG_MULTI_SZ was expected"),
            std::u16string::npos);

  MemoryRegistry empty;
  ActivityLog missing;
  EXPECT_EQ(CheckAuthProtocols(empty, windows10, missing), UpdateOutcome::kFailed);
  EXPECT_EQ(empty.KeyExists(kHkeyLocalMachine, kLsaKey), false) << "nothing is created";
}

}  // namespace
}  // namespace tarnwick::testing
