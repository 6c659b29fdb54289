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
      {{BackupOutcome::kDiskFull,
        u"C:\\ProgramData\\Tarnwick\\Backups",
        {112, u"There is not enough space on the disk."}},
       u"the disk is full (error 112: There is not enough space on the disk)."},
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

TEST(LoadFailureMessage, NamesTheFileOrTheFolderAndWhyForLoadsListingsAndTheLock) {
  const std::u16string folder = u"C:\\ProgramData\\Tarnwick\\Backups";
  const std::u16string file = folder + u"\\registry-000001.reg";
  const std::u16string restored = u" Nothing was restored.";
  const struct {
    std::u16string (*message)(const BackupResult&);
    BackupResult result;
    std::u16string line;
  } cases[] = {
      {LoadFailureMessage,
       {BackupOutcome::kFolderNotSecured, folder, 1307},
       u"Could not read the backups: the permissions of the folder " + folder +
           u" could not be set to administrators only (error 1307)." + restored},
      {ListFailureMessage,
       {BackupOutcome::kFolderUntrusted, folder, 32},
       u"Could not read the backups: " + folder +
           u" is not a folder that an administrator made, and it could not be moved aside (error "
           u"32)." +
           restored},
      {LoadFailureMessage,
       {BackupOutcome::kFileNotSecured, file, 0},
       u"Could not read the backup " + file +
           u": it is a link, has other names, is open elsewhere, or its owner could not be read." +
           restored},
      {LoadFailureMessage,
       {BackupOutcome::kFileUntrusted, file, 0},
       u"The backup " + file + u" was not made by an administrator, so it is not read."},
      {LoadFailureMessage,
       {BackupOutcome::kAccessDenied, file, 5},
       u"Could not read the backup " + file +
           u": access was refused. Please run this program as an administrator." + restored},
      {ListFailureMessage,
       {BackupOutcome::kAccessDenied, folder, 5},
       u"Could not read the backup folder " + folder +
           u": access was refused. Please run this program as an administrator." + restored},
      {LoadFailureMessage,
       {BackupOutcome::kTooLarge, file, 0},
       u"The backup " + file + u" is larger than any backup Tarnwick saves." + restored},
      {LoadFailureMessage,
       {BackupOutcome::kFailed, file, 23},
       u"Could not read the backup " + file + u": the system reported error 23." + restored},
      {ListFailureMessage,
       {BackupOutcome::kFailed, folder, 1117},
       u"Could not read the backup folder " + folder + u": the system reported error 1117." +
           restored},
      {ListFailureMessage,
       {BackupOutcome::kNoFolder, u"", 0x80070002},
       u"Could not read the backups: the all-users application data folder could not be found "
       u"(error 0x80070002)." +
           restored},
      {LockFailureMessage,
       {BackupOutcome::kFileUntrusted, folder + u"\\run.lock", 32},
       u"Could not make sure that no other Tarnwick run is in progress: the lock file " + folder +
           u"\\run.lock was not made by an administrator and could not be moved aside (error 32). "
           u"Nothing was done."},
      {LockFailureMessage,
       {BackupOutcome::kAccessDenied, folder, 5},
       u"Could not make sure that no other Tarnwick run is in progress: access to the folder " +
           folder + u" was refused (error 5). Nothing was done."},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.message(c.result), c.line);
  EXPECT_EQ(MovedAsideMessage({folder, folder + u".untrusted", EntryForm::kOwnerUnknown, 5}),
            u"The owner of " + folder +
                u" could not be read (error 5), so it is not used: it was "
                u"moved aside to " +
                folder + u".untrusted.");
}

}  // namespace
}  // namespace tarnwick::testing
