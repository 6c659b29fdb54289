#include "update/undo.h"

#include <gtest/gtest.h>

#include "backup/backup_messages.h"
#include "backup/reg_file.h"
#include "fake_backup_folder_ops.h"
#include "fake_system_info.h"
#include "log/activity_log.h"
#include "long_lists.h"
#include "memory_registry.h"
#include "update/update_and_check.h"
#include "update/update_messages.h"
#include "update/value_table.h"
#include "xp_sp3.h"

namespace tarnwick::testing {
namespace {

class UndoTest : public ::testing::Test {
 protected:
  std::vector<std::byte> Packages() {
    return registry_.Find(kHkeyLocalMachine, kLsaKey, kPackagesValue).value().bytes;
  }
  std::vector<std::byte> Providers() {
    return registry_.Find(kHkeyLocalMachine, kProvidersKey, kProvidersValue).value().bytes;
  }
  void Seed(const std::vector<std::byte>& packages, const std::vector<std::byte>& providers) {
    registry_.Seed(kHkeyLocalMachine, kLsaKey, kPackagesValue, kRegMultiSz, packages);
    registry_.Seed(kHkeyLocalMachine, kProvidersKey, kProvidersValue, kRegSz, providers);
  }
  void Update() {
    ActivityLog log;
    ASSERT_EQ(UpdateAuthProtocols(registry_, backups_, xp_, log), UpdateOutcome::kChanged);
  }
  std::u16string Undo() {
    ActivityLog log;
    outcome_ = UndoAuthProtocols(registry_, backups_, log);
    EXPECT_EQ(registry_.OpenHandles(), 0);
    return log.Text();
  }

  MemoryRegistry registry_;
  FakeBackupFolderOps backupOps_;
  BackupFiles backups_{backupOps_};
  FakeSystemInfo xp_;
  UpdateOutcome outcome_ = UpdateOutcome::kFailed;
};

TEST_F(UndoTest, PutsBackWhatTheUpdateChangedAfterSavingWhatItReplaces) {
  SeedXpSp3(registry_);
  Update();
  const auto updatedPackages = Packages();
  const auto updatedProviders = Providers();

  EXPECT_EQ(
      Undo(),
      u"\r\nReading Backup From: " + FakeBackupFolderOps::BackupPath(u"registry-000002") +
          u"\r\nReading Backup From: " + FakeBackupFolderOps::BackupPath(u"registry-000001") +
          u"\r\nReading Value From: SYSTEM\\CurrentControlSet\\Control\\Lsa\\Security Packages"
          u"\r\nCurrent Value: kerberos msv1_0 schannel wdigest tspkg "
          u"\r\nRestoring Value saved in backup."
          u"\r\nBackup saved to: " +
          FakeBackupFolderOps::BackupPath(u"before-undo-000003") +
          u"\r\nKey restored to value: kerberos msv1_0 schannel wdigest "
          u"\r\nStep 1 Complete\r\n"
          u"\r\nReading Value From: "
          u"SYSTEM\\CurrentControlSet\\Control\\SecurityProviders\\SecurityProviders"
          u"\r\nCurrent Value: msapsspc.dll, schannel.dll, digest.dll, msnsspc.dll, credssp.dll"
          u"\r\nRestoring Value saved in backup."
          u"\r\nBackup saved to: " +
          FakeBackupFolderOps::BackupPath(u"before-undo-000004") +
          u"\r\nKey restored to value: msapsspc.dll, schannel.dll, digest.dll, msnsspc.dll"
          u"\r\nStep 2 Complete\r\n"
          u"\r\nDONE!");
  EXPECT_EQ(outcome_, UpdateOutcome::kChanged);
  EXPECT_EQ(Packages(), XpPackagesBytes());
  EXPECT_EQ(Providers(), SzBytes(kXpProviders));

  // Each value the undo replaced is in a file of its own.
  for (const auto& [name, replaced] : {std::pair{u"before-undo-000003", updatedPackages},
                                       std::pair{u"before-undo-000004", updatedProviders}}) {
    const auto saved = ParseRegFile(backupOps_.Backups().at(FakeBackupFolderOps::BackupPath(name)));
    ASSERT_TRUE(saved);
    ASSERT_EQ(saved->size(), 1u);
    EXPECT_EQ((*saved)[0].bytes, replaced);
  }

  EXPECT_EQ(registry_.Flushed().size(), 4u) << "the keys are on disk before each run reports";

  const int writes = registry_.SetValueCalls();
  EXPECT_EQ(
      Undo(),
      u"\r\nReading Backup From: " + FakeBackupFolderOps::BackupPath(u"before-undo-000004") +
          u"\r\nReading Backup From: " + FakeBackupFolderOps::BackupPath(u"before-undo-000003") +
          u"\r\nSYSTEM\\CurrentControlSet\\Control\\Lsa\\Security Packages was put back by an "
          u"earlier undo after its last update: there is nothing to undo for it."
          u"\r\nStep 1 Complete\r\n"
          u"\r\nSYSTEM\\CurrentControlSet\\Control\\SecurityProviders\\SecurityProviders was put "
          u"back by an earlier undo after its last update: there is nothing to undo for it."
          u"\r\nStep 2 Complete\r\n"
          u"\r\nDONE!");
  EXPECT_EQ(outcome_, UpdateOutcome::kNothingToChange) << "a before-undo file is never restored";
  EXPECT_EQ(registry_.SetValueCalls(), writes);
}

TEST_F(UndoTest, EveryValueIsUndoneFromTheNewestBackupThatNamesIt) {
  // The first run writes the list and fails on the provider text; once that is repaired, a
  // second run writes the text alone.
  SeedXpSp3(registry_);
  registry_.Seed(kHkeyLocalMachine, kProvidersKey, kProvidersValue, kRegExpandSz,
                 SzBytes(kXpProviders));
  ActivityLog first;
  ASSERT_EQ(UpdateAuthProtocols(registry_, backups_, xp_, first), UpdateOutcome::kFailed);
  registry_.Seed(kHkeyLocalMachine, kProvidersKey, kProvidersValue, kRegSz, SzBytes(kXpProviders));
  Update();
  ASSERT_EQ(backupOps_.Backups().size(), 2u);

  const std::u16string log = Undo();
  EXPECT_EQ(outcome_, UpdateOutcome::kChanged);
  EXPECT_EQ(Packages(), XpPackagesBytes()) << "the first run's change is undone too";
  EXPECT_EQ(Providers(), SzBytes(kXpProviders));
  EXPECT_EQ(log.substr(0, log.find(u"\r\nReading Value From")),
            u"\r\nReading Backup From: " + FakeBackupFolderOps::BackupPath(u"registry-000002") +
                u"\r\nReading Backup From: " + FakeBackupFolderOps::BackupPath(u"registry-000001"));

  // Put back by that undo, then changed by hand: a later undo keeps the change.
  const auto byHand = MultiSzBytes({u"kerberos", u"msv1_0", u"pku2u"});
  registry_.Seed(kHkeyLocalMachine, kLsaKey, kPackagesValue, kRegMultiSz, byHand);
  Undo();
  EXPECT_EQ(outcome_, UpdateOutcome::kNothingToChange);
  EXPECT_EQ(Packages(), byHand);
}

TEST_F(UndoTest, AFilePlantedByAStandardUserNeitherSteersNorBlocksTheUndo) {
  SeedXpSp3(registry_);
  Update();
  const std::u16string planted =
      backups_.SaveNew(BackupKind::kUpdate, RawBytes({'j', 'u', 'n', 'k'})).path;
  backupOps_.items.at(planted).trusted = false;
  const std::u16string log = Undo();
  EXPECT_EQ(outcome_, UpdateOutcome::kChanged);
  EXPECT_EQ(log.substr(0, log.find(u"\r\nReading Value From")),
            u"\r\n" + UntrustedBackupMessage(planted) + u"\r\nReading Backup From: " +
                FakeBackupFolderOps::BackupPath(u"registry-000002") + u"\r\nReading Backup From: " +
                FakeBackupFolderOps::BackupPath(u"registry-000001"));
  EXPECT_EQ(Packages(), XpPackagesBytes());
}

TEST_F(UndoTest, OddStoredFormsComeBackByteForByte) {
  const auto extraNuls = Utf16Bytes(std::u16string(u"kerberos\0\0pku2u\0\0\0", 19));
  const auto hidden = Utf16Bytes(std::u16string(u"x.dll\0old.dll\0", 14));
  const struct {
    const char* label;
    std::vector<std::byte> packages;
    std::vector<std::byte> providers;
  } cases[] = {
      {"empty elements, and text after the provider list's NUL", extraNuls, hidden},
      {"no terminators", Utf16Bytes(u"kerberos"), Utf16Bytes(u"a.dll")},
      {"empty list and empty text", RawBytes({0, 0}), RawBytes({})},
      // One character more, and the undo cannot save them first (below).
      {"lists whose updated forms make backups as large as an undo reads",
       LongPackages(kMostPackagesUpdated), LongProviders(kMostProvidersUpdated)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    registry_ = MemoryRegistry();
    backupOps_ = FakeBackupFolderOps();
    Seed(c.packages, c.providers);
    Update();
    Undo();
    EXPECT_EQ(outcome_, UpdateOutcome::kChanged);
    EXPECT_EQ(Packages(), c.packages);
    EXPECT_EQ(Providers(), c.providers);
  }
}

TEST_F(UndoTest, AValueChangedSinceTheBackupIsKept) {
  SeedXpSp3(registry_);
  Update();
  registry_.Seed(
      kHkeyLocalMachine, kLsaKey, kPackagesValue, kRegMultiSz,
      MultiSzBytes({u"kerberos", u"msv1_0", u"schannel", u"wdigest", u"tspkg", u"pku2u"}));
  const std::u16string log = Undo();
  EXPECT_EQ(outcome_, UpdateOutcome::kFailed);
  EXPECT_NE(log.find(u"\r\nCurrent Value: kerberos msv1_0 schannel wdigest tspkg pku2u "
                     u"\r\nSYSTEM\\CurrentControlSet\\Control\\Lsa\\Security Packages has changed "
                     u"since the backup was saved; it was left as it is, to keep that change."
                     u"\r\nStep 1 Complete"),
            std::u16string::npos);
  EXPECT_EQ(Packages(),
            MultiSzBytes({u"kerberos", u"msv1_0", u"schannel", u"wdigest", u"tspkg", u"pku2u"}));
  EXPECT_EQ(Providers(), SzBytes(kXpProviders)) << "the other value is still restored";
}

TEST_F(UndoTest, ABackupNamingAnythingElseIsRefusedWhole) {
  SeedXpSp3(registry_);
  Update();
  // Both values, as one file may hold them.
  std::vector<RegFileValue> values;
  for (const char16_t* name : {u"registry-000001", u"registry-000002"})
    values.push_back(
        ParseRegFile(backupOps_.Backups().at(FakeBackupFolderOps::BackupPath(name)))->at(0));
  const std::u16string text = RegFileText(values);
  const std::vector<std::byte> saved = RegFileBytes(text);
  auto with = [](std::u16string text, std::u16string_view from, std::u16string_view to) {
    text.replace(text.find(from), from.size(), to);
    return RegFileBytes(text);
  };
  const std::u16string extraKey =
      u"\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n"
      u"\"x\"=hex(1):63,00,00,00\r\n";
  const struct {
    const char* label;
    std::vector<std::byte> contents;
  } cases[] = {
      {"a planted key", RegFileBytes(text + extraKey)},
      {"a planted value in a key it names",
       with(text, u"\"SecurityProviders\"=", u"\"Other\"=hex(1):00,00\r\n\"SecurityProviders\"=")},
      {"another value of the key", with(text, u"\"SecurityProviders\"", u"\"Security Providers\"")},
      {"another type", with(text, u"hex(7)", u"hex(2)")},
      {"a value twice", RegFileBytes(text + text.substr(text.find(u"\r\n[")))},
      {"the other root",
       with(text, u"[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Lsa]",
            u"[HKEY_CURRENT_USER\\SYSTEM\\CurrentControlSet\\Control\\Lsa]")},
      {"a deletion", with(text, u"hex(7):", u"-")},
      {"no values", RegFileBytes(u"Windows Registry Editor Version 5.00\r\n")},
      {"another layout of the same values", with(text, u",\\\r\n  ", u",")},
      {"no byte-order mark", std::vector<std::byte>(saved.begin() + 2, saved.end())},
      {"cut short", std::vector<std::byte>(saved.begin(), saved.end() - 6)},
      {"cut short after an escape in a value name",
       RegFileBytes(text.substr(0, text.find(u"\"SecurityProviders\"=") + 18) + u"\\")},
      {"empty", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    const std::u16string path = backups_.SaveNew(BackupKind::kUpdate, c.contents).path;
    const int writes = registry_.SetValueCalls();
    const std::u16string log = Undo();
    EXPECT_EQ(outcome_, UpdateOutcome::kFailed);
    EXPECT_EQ(registry_.SetValueCalls(), writes) << "nothing is written";
    EXPECT_EQ(log, u"\r\nReading Backup From: " + path + u"\r\nThe backup " + path +
                       u" is not a registry file as Tarnwick saves it, or it names other values "
                       u"than the two that the update changes. Nothing was restored.");
  }
  EXPECT_FALSE(
      registry_.KeyExists(kHkeyLocalMachine, u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"));
}

TEST_F(UndoTest, NoBackupMeansNothingToUndo) {
  SeedXpSp3(registry_);
  EXPECT_EQ(Undo(), u"\r\nNo backup of the update was found: there is nothing to undo.");
  EXPECT_EQ(outcome_, UpdateOutcome::kNothingToChange);
  EXPECT_EQ(registry_.SetValueCalls(), 0);
}

TEST_F(UndoTest, FailuresSayWhyInOneLineAndWriteNothing) {
  const struct {
    const char* label;
    void (*arrange)(MemoryRegistry&, FakeBackupFolderOps&);
    std::u16string line;
    bool packagesRestored;  // the first value is put back despite the failure
  } cases[] = {
      {"where the backups are cannot be read",
       [](MemoryRegistry&, FakeBackupFolderOps& b) {
         b.Fail("RecordedFolder", u"", SystemError{5});
       },
       u"\r\n" +
           ListFailureMessage({BackupOutcome::kNoRecord, std::u16string(kFolderRecordPlace), 5}),
       false},
      {"the folder cannot be listed",
       [](MemoryRegistry&, FakeBackupFolderOps& b) {
         b.Fail("ListFiles", std::u16string(b.kBackups), SystemError{1117});
       },
       u"\r\n" + ListFailureMessage(
                     {BackupOutcome::kFailed, std::u16string(FakeBackupFolderOps::kBackups), 1117}),
       false},
      {"the file cannot be made safe",
       [](MemoryRegistry&, FakeBackupFolderOps& b) {
         b.items.at(b.BackupPath(u"registry-000001")).link = true;
       },
       u"\r\n" + LoadFailureMessage({BackupOutcome::kFileNotSecured,
                                     FakeBackupFolderOps::BackupPath(u"registry-000001"), 0}),
       false},
      {"no backup of what is replaced",
       [](MemoryRegistry&, FakeBackupFolderOps& b) {
         b.Fail("WriteNewFile", u"", SystemError{112});
       },
       u"\r\nRestoring Value saved in backup.\r\n" +
           BackupFailureMessage(
               Where(kLsaKey, kPackagesValue),
               {BackupOutcome::kDiskFull, std::u16string(FakeBackupFolderOps::kBackups), 112}) +
           u"\r\nStep 1 Complete",
       false},
      {"lists that the update made too large to save before an undo",
       [](MemoryRegistry& r, FakeBackupFolderOps& b) {
         // As an update leaves lists a character longer than the longest that come back
         // (above).
         const std::size_t packages = kMostPackagesUpdated + 1;
         const std::size_t providers = kMostProvidersUpdated + 1;
         r.Seed(kHkeyLocalMachine, kLsaKey, kPackagesValue, kRegMultiSz,
                LongPackagesUpdated(packages));
         r.Seed(kHkeyLocalMachine, kProvidersKey, kProvidersValue, kRegSz,
                LongProvidersUpdated(providers));
         b.items.at(b.BackupPath(u"registry-000001")).bytes =
             BackupOf(kLsaKey, kPackagesValue, kRegMultiSz, LongPackages(packages));
         b.items.at(b.BackupPath(u"registry-000002")).bytes =
             BackupOf(kProvidersKey, kProvidersValue, kRegSz, LongProviders(providers));
       },
       u"\r\nRestoring Value saved in backup.\r\n" +
           BackupFailureMessage(Where(kLsaKey, kPackagesValue), {BackupOutcome::kTooLarge, {}, 0}) +
           u"\r\nStep 1 Complete",
       false},
      {"a write refused",
       [](MemoryRegistry& r, FakeBackupFolderOps&) {
         r.FailSetValue(kHkeyLocalMachine, kProvidersKey, 1450);
       },
       u"\r\n" + WriteFailureMessage(Where(kProvidersKey, kProvidersValue), {1450}) +
           u"\r\nStep 2 Complete",
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    registry_ = MemoryRegistry();
    backupOps_ = FakeBackupFolderOps();
    SeedXpSp3(registry_);
    Update();
    c.arrange(registry_, backupOps_);
    const auto updatedPackages = Packages();
    const auto updatedProviders = Providers();
    const std::u16string log = Undo();
    EXPECT_EQ(outcome_, UpdateOutcome::kFailed);
    EXPECT_NE(log.find(c.line), std::u16string::npos) << std::string(log.begin(), log.end());
    EXPECT_EQ(Packages(), c.packagesRestored ? XpPackagesBytes() : updatedPackages);
    EXPECT_EQ(Providers(), updatedProviders);
  }
}

}  // namespace
}  // namespace tarnwick::testing
