#include "backup/backup_messages.h"

#include <gtest/gtest.h>

namespace tarnwick::testing {
namespace {

TEST(BackupFailureMessage, SaysWhichFolderAndWhyInOneLine) {
  const std::u16string_view where = u"SYSTEM\\CurrentControlSet\\Control\\Lsa\\Security Packages";
  const struct {
    BackupResult saved;
    std::u16string reason;
  } cases[] = {
      {{BackupOutcome::kFolderNotSecured, u"C:\\ProgramData\\Tarnwick\\Backups", 1307},
       u"the permissions of the backup folder C:\\ProgramData\\Tarnwick\\Backups could not be set "
       u"to administrators only (error 1307)."},
      {{BackupOutcome::kFolderUntrusted, u"C:\\ProgramData\\Tarnwick", 32},
       u"C:\\ProgramData\\Tarnwick is not a folder that an administrator made, and it could not "
       u"be moved aside (error 32)."},
      {{BackupOutcome::kNoFolder,
        u"C:\\ProgramData\\Tarnwick",
        {267, u"The directory name is invalid."}},
       u"the backup folder C:\\ProgramData\\Tarnwick could not be found or made (error 267: The "
       u"directory name is invalid)."},
      {{BackupOutcome::kNoFolder, u"", {0x80070002, u"The system cannot find the file specified."}},
       u"the all-users application data folder could not be found (error 0x80070002: The system "
       u"cannot find the file specified)."},
      {{BackupOutcome::kAccessDenied,
        u"C:\\ProgramData\\Tarnwick\\Backups",
        {5, u"Access is denied."}},
       u"access to C:\\ProgramData\\Tarnwick\\Backups was refused (error 5: "
       u"Access "
       u"is denied)."},
      {{BackupOutcome::kFailed,
        u"C:\\ProgramData\\Tarnwick\\Backups\\registry-000001.reg",
        {1117, u""}},
       u"writing to C:\\ProgramData\\Tarnwick\\Backups\\registry-000001.reg failed: the system "
       u"reported error 1117."},
      {{BackupOutcome::kTooLarge, u"", {}},
       u"it would be larger than the 1048576 bytes that an undo reads."},
  };
  for (const auto& c : cases) {
    const std::u16string message = BackupFailureMessage(where, c.saved);
    EXPECT_EQ(message, u"Could not save a backup of " + std::u16string(where) + u": " + c.reason +
                           u" The value was left unchanged.");
    EXPECT_EQ(message.find_first_of(u"\r\n"), std::u16string::npos);
  }
}

TEST(LockFailureMessage, NamesTheLockFileOrTheFolderAndWindowsText) {
  BackupResult lock;
  lock.path = u"C:\\ProgramData\\Tarnwick\\run.lock";
  lock.status = {1450, u"Insufficient system resources exist to complete the requested service."};
  EXPECT_EQ(LockFailureMessage(lock),
            u"Could not make sure that no other Tarnwick run is in progress: the lock file "
            u"C:\\ProgramData\\Tarnwick\\run.lock could not be opened: the system reported error "
            u"1450: Insufficient system resources exist to complete the requested service. Nothing "
            u"was done.");
  lock.outcome = BackupOutcome::kNoFolder;
  lock.path.clear();
  lock.status = 0x80070002;
  EXPECT_EQ(LockFailureMessage(lock),
            u"Could not make sure that no other Tarnwick run is in progress: the all-users "
            u"application data folder could not be found (error 0x80070002). Nothing was done.");
}

}  // namespace
}  // namespace tarnwick::testing
