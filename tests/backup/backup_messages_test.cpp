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
      {{BackupOutcome::kFolderUntrusted, u"C:\\ProgramData\\Tarnwick-00000000000000a4", 5},
       u"C:\\ProgramData\\Tarnwick-00000000000000a4 is not a folder that an administrator made, "
       u"and no folder made in its place was usable either (error 5)."},
      {{BackupOutcome::kNoRecord,
        u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Tarnwick",
        {5, u"Access is denied."}},
       u"the record of the folder that Tarnwick uses, HKEY_LOCAL_MACHINE\\SOFTWARE\\Tarnwick, "
       u"could not be read or written (error 5: Access is denied)."},
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
      {ListFailureMessage,
       {BackupOutcome::kNoRecord, u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Tarnwick", 5},
       u"Could not read the backups: the record of the folder that Tarnwick uses, "
       u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Tarnwick, could not be read (error 5)." +
           restored},
      {LoadFailureMessage,
       {BackupOutcome::kFileNotSecured,
        file,
        {742, u"An open/create operation completed while an oplock break is underway."}},
       u"Could not read the backup " + file +
           u": it is a link, is open elsewhere, or its owner could not be read (error 742: An "
           u"open/create operation completed while an oplock break is underway)." +
           restored},
      {LoadFailureMessage,
       {BackupOutcome::kUnprotected, file, 0},
       u"Could not read the backup " + file +
           u": its volume keeps no permissions, so anyone could have changed it." + restored},
      {LoadFailureMessage,
       {BackupOutcome::kFileUntrusted, file, 0},
       u"The backup " + file + u" was not made by an administrator, so it is not read."},
      {LoadFailureMessage,
       {BackupOutcome::kAccessDenied, file, 5},
       u"Could not read the backup " + file +
           u": access was refused (error 5). Please run this program as an administrator." +
           restored},
      {ListFailureMessage,
       {BackupOutcome::kAccessDenied, folder, 5},
       u"Could not read the backup folder " + folder +
           u": access was refused (error 5). Please run this program as an administrator." +
           restored},
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
       {BackupOutcome::kFileUntrusted, folder + u"\\run.lock", 0},
       u"Could not make sure that no other Tarnwick run is in progress: the lock file " + folder +
           u"\\run.lock was not made by an administrator, nor was the one in each folder made in "
           u"place of its own. Nothing was done."},
      {LockFailureMessage,
       {BackupOutcome::kAccessDenied, folder, 5},
       u"Could not make sure that no other Tarnwick run is in progress: access to the folder " +
           folder + u" was refused (error 5). Nothing was done."},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.message(c.result), c.line);
  const std::u16string chosen = u"C:\\ProgramData\\Tarnwick-00000000000000a1";
  EXPECT_EQ(NotUsedMessage({folder, EntryForm::kOwnerUnknown, 5, chosen}),
            u"The owner of " + folder +
                u" could not be read (error 5), so it is not used: Tarnwick keeps its backups and "
                u"its lock in " +
                chosen + u" instead.");
  EXPECT_EQ(NotUsedMessage({u"C:\\ProgramData\\Tarnwick", EntryForm::kEarlier, 0, chosen}),
            u"The folder C:\\ProgramData\\Tarnwick was made before Tarnwick kept its folders "
            u"closed to everyone but administrators, so it is not used: Tarnwick keeps its backups "
            u"and its lock in " +
                chosen + u" instead, and still reads the backups saved in it.");
  EXPECT_EQ(NotUsedMessage({u"C:\\ProgramData\\Tarnwick", EntryForm::kFile, 0}),
            u"C:\\ProgramData\\Tarnwick is a file where a folder belongs, so it is not used.");
  BackupResult lock{BackupOutcome::kDone, u"E:\\Data\\Tarnwick\\run.lock", 0};
  lock.unprotected = true;
  EXPECT_EQ(LockMessages(lock), std::vector<std::u16string>{
                                    u"The backups and the lock in E:\\Data\\Tarnwick cannot be "
                                    u"protected: its volume keeps no permissions, so anyone can "
                                    u"change or remove them."});
}

}  // namespace
}  // namespace tarnwick::testing
