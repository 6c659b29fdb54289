#include "update/update_and_check.h"

#include <gtest/gtest.h>

#include "backup/backup_messages.h"
#include "fake_backup_folder_ops.h"
#include "fake_system_info.h"
#include "log/activity_log.h"
#include "long_lists.h"
#include "memory_registry.h"
#include "platform/text.h"
#include "stored_forms.h"
#include "update/update_messages.h"
#include "update/value_table.h"
#include "xp_sp3.h"

namespace tarnwick::testing {
namespace {

class UpdateAuthProtocolsTest : public ::testing::Test {
 protected:
  std::vector<std::byte> Packages() {
    return registry_.Find(kHkeyLocalMachine, kLsaKey, kPackagesValue).value().bytes;
  }
  std::vector<std::byte> Providers() {
    return registry_.Find(kHkeyLocalMachine, kProvidersKey, kProvidersValue).value().bytes;
  }
  std::u16string Run() {
    ActivityLog log;
    outcome_ = UpdateAuthProtocols(registry_, backups_, system_, log);
    EXPECT_EQ(registry_.OpenHandles(), 0);
    return log.Text();
  }

  MemoryRegistry registry_;
  FakeBackupFolderOps backupOps_;
  BackupFiles backups_{backupOps_};
  FakeSystemInfo system_;  // Windows XP, with CredSSP
  UpdateOutcome outcome_ = UpdateOutcome::kFailed;
};

TEST_F(UpdateAuthProtocolsTest, AddsBothNamesOnceAndLogsEveryStep) {
  SeedXpSp3(registry_);
  EXPECT_EQ(Run(), XpFirstRunLog(FakeBackupFolderOps::BackupPath(u"registry-000001"),
                                 FakeBackupFolderOps::BackupPath(u"registry-000002")));
  EXPECT_EQ(outcome_, UpdateOutcome::kChanged);
  EXPECT_EQ(Packages(), MultiSzBytes({u"kerberos", u"msv1_0", u"schannel", u"wdigest", u"tspkg"}));
  EXPECT_EQ(Providers(),
            SzBytes(u"msapsspc.dll, schannel.dll, digest.dll, msnsspc.dll, credssp.dll"));
  EXPECT_EQ(backupOps_.Backups().size(), 2u) << "a new file for each value, written once";

  const int writes = registry_.SetValueCalls();
  EXPECT_EQ(Run(), kXpSecondRunLog);
  EXPECT_EQ(outcome_, UpdateOutcome::kNothingToChange);
  EXPECT_EQ(registry_.SetValueCalls(), writes) << "a second run writes nothing";
  EXPECT_EQ(backupOps_.Backups().size(), 2u) << "a run that writes nothing saves no backup";
}

TEST_F(UpdateAuthProtocolsTest, TheBackupsHoldTheValuesAsFoundInRegeditForm) {
  SeedXpSp3(registry_);
  Run();
  std::u16string expected =
      u"Windows Registry Editor Version 5.00\r\n"
      u"\r\n[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Lsa]\r\n"
      u"\"Security Packages\"=hex(7):6b,00,65,00,72,00,62,00,65,00,72,00,6f,00,73,00,\\\r\n"
      u"  00,00,6d,00,73,00,76,00,31,00,5f,00,30,00,00,00,73,00,63,00,68,00,61,00,\\\r\n"
      u"  6e,00,6e,00,65,00,6c,00,00,00,77,00,64,00,69,00,67,00,65,00,73,00,74,00,\\\r\n"
      u"  00,00,00,00\r\n";
  const auto backups = backupOps_.Backups();
  ASSERT_EQ(backups.size(), 2u);
  const std::vector<std::byte> bytes = backups.begin()->second;
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes[0], std::byte{0xFF});
  EXPECT_EQ(bytes[1], std::byte{0xFE});
  EXPECT_EQ(DecodeUtf16Le(std::span(bytes).subspan(2)), expected);
  const std::vector<std::byte> second = std::next(backups.begin())->second;
  EXPECT_EQ(DecodeUtf16Le(std::span(second).subspan(2))
                .rfind(u"Windows Registry Editor Version 5.00\r\n"
                       u"\r\n[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\"
                       u"SecurityProviders]\r\n\"SecurityProviders\"=hex(1):6d,00,73,00,",
                       0),
            0u);
}

TEST_F(UpdateAuthProtocolsTest, AProviderTextEndsAtItsFirstNul) {
  SeedXpSp3(registry_);
  const auto hidden = Utf16Bytes(std::u16string(u"x.dll\0credssp.dll\0", 18));
  registry_.Seed(kHkeyLocalMachine, kProvidersKey, kProvidersValue, kRegSz, hidden);
  const std::u16string log = Run();
  EXPECT_NE(log.find(u"\r\nCurrent Value: x.dll\r\nAdding Value credssp.dll"), std::u16string::npos)
      << "the name after the NUL is not seen by Windows, so it does not count";
  EXPECT_NE(log.find(u"\r\nKey updated to value: x.dll, credssp.dll\r\n"), std::u16string::npos);
  EXPECT_EQ(Providers(), SzBytes(u"x.dll, credssp.dll"));
}

TEST_F(UpdateAuthProtocolsTest, WhenNoBackupCanBeSavedNothingIsWritten) {
  SeedXpSp3(registry_);
  backupOps_.Fail("WriteNewFile", u"", SystemError{112});
  const std::u16string log = Run();
  EXPECT_EQ(outcome_, UpdateOutcome::kFailed);
  EXPECT_EQ(registry_.SetValueCalls(), 0);
  EXPECT_EQ(Packages(), XpPackagesBytes());
  EXPECT_EQ(Providers(), SzBytes(kXpProviders));
  EXPECT_NE(log.find(u"\r\nAdding Value tspkg to registry key.\r\n" +
                     BackupFailureMessage(Where(kLsaKey, kPackagesValue),
                                          {BackupOutcome::kDiskFull,
                                           std::u16string(FakeBackupFolderOps::kBackups), 112}) +
                     u"\r\nStep 1 Complete"),
            std::u16string::npos);
  EXPECT_EQ(log.find(u"Backup saved to"), std::u16string::npos);
  EXPECT_EQ(log.find(u"Key updated"), std::u16string::npos);
}

// Each value is saved in a file of its own: one whose backup is as large as the undo reads is
// written, one a character longer is not.
TEST_F(UpdateAuthProtocolsTest, AValueWhoseBackupTheUndoWouldNotReadIsNotWritten) {
  const std::size_t largest = kMostPackages;
  const std::size_t tooLarge = kMostProviders + 1;
  ASSERT_GT(BackupOf(kLsaKey, kPackagesValue, kRegMultiSz, LongPackages(largest + 1)).size(),
            kMaxBackupSize);
  ASSERT_LE(BackupOf(kProvidersKey, kProvidersValue, kRegSz, LongProviders(tooLarge - 1)).size(),
            kMaxBackupSize);
  registry_.Seed(kHkeyLocalMachine, kLsaKey, kPackagesValue, kRegMultiSz, LongPackages(largest));
  registry_.Seed(kHkeyLocalMachine, kProvidersKey, kProvidersValue, kRegSz,
                 LongProviders(tooLarge));
  const std::u16string log = Run();
  EXPECT_EQ(outcome_, UpdateOutcome::kFailed);
  EXPECT_EQ(Packages(), LongPackagesUpdated(largest));
  EXPECT_EQ(Providers(), LongProviders(tooLarge));
  EXPECT_NE(log.find(u"\r\nCould not save a backup of "
                     u"SYSTEM\\CurrentControlSet\\Control\\SecurityProviders\\SecurityProviders: "
                     u"it would be larger than the 1048576 bytes that an undo reads. The value was "
                     u"left unchanged.\r\nStep 2 Complete"),
            std::u16string::npos);
  ASSERT_EQ(backupOps_.Backups().size(), 1u);
  EXPECT_LE(backupOps_.Backups().begin()->second.size(), kMaxBackupSize);
  EXPECT_EQ(backupOps_.Backups().begin()->second,
            BackupOf(kLsaKey, kPackagesValue, kRegMultiSz, LongPackages(largest)));
}

TEST_F(UpdateAuthProtocolsTest, AWriteNotOnDiskIsNotReportedAsDone) {
  SeedXpSp3(registry_);
  registry_.FailFlush(kHkeyLocalMachine, kProvidersKey, 1021);
  const std::u16string log = Run();
  EXPECT_EQ(outcome_, UpdateOutcome::kFailed);
  EXPECT_EQ(
      log.substr(log.rfind(u"\r\nStep 2 Complete")),
      u"\r\nStep 2 Complete\r\n\r\n" + FlushFailureMessage(kProvidersKey, 1021) + u"\r\nDONE!");
}

TEST_F(UpdateAuthProtocolsTest, RealMachinesFormsOnTheirOwnWindows) {
  for (const StoredForm& form : StoredForms()) {
    SCOPED_TRACE(form.label);
    registry_ = MemoryRegistry();
    backupOps_ = FakeBackupFolderOps();
    system_ = FakeSystemInfo();
    system_.windows = form.windows;
    if (!form.credssp)
      system_.systemFiles.clear();
    SeedForm(registry_, form);
    EXPECT_EQ(registry_.KeyExists(kHkeyLocalMachine, kOsConfigKey),
              form.osConfig != OsConfig::kNoKey);
    const int seeded = registry_.SetValueCalls();
    EXPECT_EQ(Run(), ExpectedLog(form, VersionText(form.windows),
                                 FakeBackupFolderOps::BackupPath(u"registry-000001"),
                                 FakeBackupFolderOps::BackupPath(u"registry-000002"),
                                 u"C:\\Windows\\system32\\"));
    EXPECT_EQ(outcome_, form.outcome);
    EXPECT_EQ(Packages(), form.packagesAfter);
    EXPECT_EQ(Providers(), form.providersAfter);
    const int changedValues = (form.packagesAfter != form.packages ? 1 : 0) +
                              (form.providersAfter != form.providers ? 1 : 0);
    EXPECT_EQ(registry_.SetValueCalls() - seeded, changedValues) << "only what changes is written";
    EXPECT_EQ(backupOps_.Backups().size(), static_cast<std::size_t>(changedValues))
        << "a backup for each value written, and none without a write";
    EXPECT_EQ(registry_.Flushed().size(), static_cast<std::size_t>(changedValues))
        << "each key written is flushed";

    Run();
    EXPECT_EQ(outcome_, form.credssp ? UpdateOutcome::kNothingToChange : UpdateOutcome::kFailed)
        << "the second run finds its names";
  }
}

TEST_F(UpdateAuthProtocolsTest, AnUnreadableBuiltInListLeavesTheDecisionToTheVersion) {
  StoredForm form = StoredForms()[3];  // Windows 10 1709
  SeedForm(registry_, form);
  registry_.Seed(kHkeyLocalMachine, kOsConfigKey, kPackagesValue, kRegSz, SzBytes(u"tspkg"));
  system_.windows = {10, 0, 22631};
  const std::u16string log = Run();
  EXPECT_NE(
      log.find(u"\r\nSYSTEM\\CurrentControlSet\\Control\\Lsa\\OSConfig\\Security Packages is a "
               u"REG_SZ value where REG_MULTI_SZ was expected; going on without it."
               u"\r\nWindows 10.0.22631 has tspkg built in"
               u"\r\ntspkg already present, no change required\r\n"),
      std::u16string::npos);
  EXPECT_EQ(outcome_, UpdateOutcome::kNothingToChange);
}

struct BuiltInCase {
  const char* label;
  RegType type;
  std::vector<std::byte> bytes;
  std::u16string lines;  // what stage 1 logs between its "Current Value:" and closing lines
  bool written;
};

TEST_F(UpdateAuthProtocolsTest, TheBuiltInPackageListOfNewerWindowsIsConsulted) {
  const std::u16string reading =
      u"\r\nReading Value From: SYSTEM\\CurrentControlSet\\Control\\Lsa\\OSConfig\\"
      u"Security Packages";
  const std::vector<BuiltInCase> cases = {
      {"holds TSPKG", kRegMultiSz, MultiSzBytes({u"kerberos", u"TSPKG", u"pku2u"}),
       reading + u"\r\nCurrent Value: kerberos TSPKG pku2u "
                 u"\r\ntspkg already present, no change required",
       false},
      {"holds no tspkg", kRegMultiSz, MultiSzBytes({u"kerberos", u"tspkgx"}),
       reading + u"\r\nCurrent Value: kerberos tspkgx \r\nAdding Value tspkg to registry key.",
       true},
      {"another type", kRegSz, SzBytes(u"tspkg"),
       u"\r\nSYSTEM\\CurrentControlSet\\Control\\Lsa\\OSConfig\\Security Packages is a "
       u"REG_SZ value where REG_MULTI_SZ was expected; going on without it."
       u"\r\nAdding Value tspkg to registry key.",
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    registry_ = MemoryRegistry();
    registry_.Seed(kHkeyLocalMachine, kLsaKey, kPackagesValue, kRegMultiSz, MultiSzBytes({}));
    registry_.Seed(kHkeyLocalMachine, kProvidersKey, kProvidersValue, kRegSz,
                   SzBytes(u"credssp.dll"));
    registry_.Seed(kHkeyLocalMachine, kOsConfigKey, kPackagesValue, c.type, c.bytes);
    const std::u16string log = Run();
    EXPECT_NE(log.find(u"\r\nCurrent Value: " + c.lines + u"\r\n"), std::u16string::npos)
        << log.size();
    EXPECT_EQ(registry_.SetValueCalls(), c.written ? 1 : 0);
    EXPECT_EQ(outcome_, c.written ? UpdateOutcome::kChanged : UpdateOutcome::kNothingToChange);
  }
}

TEST_F(UpdateAuthProtocolsTest, AnUnreadableBuiltInListIsSaidInOneLine) {
  SeedXpSp3(registry_);
  registry_.Seed(kHkeyLocalMachine, kOsConfigKey, kPackagesValue, kRegMultiSz,
                 MultiSzBytes({u"tspkg"}));
  registry_.DenyWrite(kHkeyLocalMachine, kOsConfigKey);
  const std::u16string log = Run();
  EXPECT_NE(log.find(u"\r\nCurrent Value: kerberos msv1_0 schannel wdigest "
                     u"\r\nCould not read SYSTEM\\CurrentControlSet\\Control\\Lsa\\OSConfig\\"
                     u"Security Packages: access was refused (error 5). Please run this program as "
                     u"an administrator. Going on without it.\r\nAdding Value tspkg"),
            std::u16string::npos);
}

TEST_F(UpdateAuthProtocolsTest, EmptyProvidersGetTheNameAlone) {
  registry_.Seed(kHkeyLocalMachine, kLsaKey, kPackagesValue, kRegMultiSz,
                 MultiSzBytes({u"alpha", u"beta"}));
  registry_.Seed(kHkeyLocalMachine, kProvidersKey, kProvidersValue, kRegSz, SzBytes(u""));
  const std::u16string log = Run();
  EXPECT_NE(log.find(u"\r\nKey updated to value: alpha beta tspkg \r\n"), std::u16string::npos);
  EXPECT_NE(log.find(u"\r\nCurrent Value: \r\n"), std::u16string::npos);
  EXPECT_NE(log.find(u"\r\nKey updated to value: credssp.dll\r\n"), std::u16string::npos);
  EXPECT_EQ(Packages(), MultiSzBytes({u"alpha", u"beta", u"tspkg"}));
  EXPECT_EQ(Providers(), SzBytes(u"credssp.dll"));
}

TEST_F(UpdateAuthProtocolsTest, ListsStoredWithoutTerminatorsKeepTheirElements) {
  registry_.Seed(kHkeyLocalMachine, kLsaKey, kPackagesValue, kRegMultiSz, Utf16Bytes(u"kerberos"));
  registry_.Seed(kHkeyLocalMachine, kProvidersKey, kProvidersValue, kRegSz, Utf16Bytes(u"x.dll"));
  Run();
  EXPECT_EQ(Packages(), MultiSzBytes({u"kerberos", u"tspkg"}));
  EXPECT_EQ(Providers(), SzBytes(u"x.dll, credssp.dll"));
}

TEST_F(UpdateAuthProtocolsTest, NamesInsideLongerNamesDoNotCount) {
  registry_.Seed(kHkeyLocalMachine, kLsaKey, kPackagesValue, kRegMultiSz,
                 MultiSzBytes({u"kerberos", u"tspkgold"}));
  registry_.Seed(kHkeyLocalMachine, kProvidersKey, kProvidersValue, kRegSz,
                 SzBytes(u"mycredssp.dll"));
  const std::u16string log = Run();
  EXPECT_EQ(log.find(u"already present"), std::u16string::npos);
  EXPECT_EQ(Packages(), MultiSzBytes({u"kerberos", u"tspkgold", u"tspkg"}));
  EXPECT_EQ(Providers(), SzBytes(u"mycredssp.dll, credssp.dll"));
}

TEST_F(UpdateAuthProtocolsTest, NonAsciiElementsSurviveTheRewrite) {
  SeedXpSp3(registry_);
  registry_.Seed(kHkeyLocalMachine, kLsaKey, kPackagesValue, kRegMultiSz,
                 MultiSzBytes({u"kerberos", u"\u043F\u0430\u043A\u0435\u0442"}));
  Run();
  EXPECT_EQ(Packages(), MultiSzBytes({u"kerberos", u"\u043F\u0430\u043A\u0435\u0442", u"tspkg"}));
}

struct FailureCase {
  const char* label;
  void (*arrange)(MemoryRegistry&);
  std::u16string_view stage1Line;  // the line after "Reading Value From: ..." in stage 1
};

const std::u16string_view kLsaWhere = u"SYSTEM\\CurrentControlSet\\Control\\Lsa\\Security Packages";

class UpdateFailureTest : public UpdateAuthProtocolsTest,
                          public ::testing::WithParamInterface<FailureCase> {};

TEST_P(UpdateFailureTest, AFailedStageSaysWhyWritesNothingAndTheNextStageRuns) {
  SeedXpSp3(registry_);
  const auto providersBefore = Providers();
  GetParam().arrange(registry_);
  const auto before = registry_.Find(kHkeyLocalMachine, kLsaKey, kPackagesValue);

  const std::u16string log = Run();
  const std::u16string expectedStart = u"\r\nReading Value From: " + std::u16string(kLsaWhere) +
                                       u"\r\n" + std::u16string(GetParam().stage1Line) +
                                       u"\r\nStep 1 Complete\r\n\r\nReading Value From: ";
  EXPECT_EQ(log.substr(0, expectedStart.size()), expectedStart);
  EXPECT_NE(log.find(u"Adding Value credssp.dll"), std::u16string::npos);
  EXPECT_EQ(log.substr(log.size() - 7), u"\r\nDONE!");
  const auto after = registry_.Find(kHkeyLocalMachine, kLsaKey, kPackagesValue);
  ASSERT_EQ(after.has_value(), before.has_value());
  if (after) {
    EXPECT_EQ(after->bytes, before->bytes);
    EXPECT_EQ(after->type, before->type);
  }
  EXPECT_NE(Providers(), providersBefore);
  EXPECT_EQ(outcome_, UpdateOutcome::kFailed);
}

INSTANTIATE_TEST_SUITE_P(
    Stage1, UpdateFailureTest,
    ::testing::Values(
        FailureCase{"MissingValue",
                    [](MemoryRegistry& r) {
                      RegKey key = kNoKey;
                      r.OpenKey(kHkeyLocalMachine, kLsaKey, 0, kKeyAccessMask, key);
                      r.DeleteValue(key, kPackagesValue);
                      r.CloseKey(key);
                    },
                    u"Could not read SYSTEM\\CurrentControlSet\\Control\\Lsa\\Security Packages: "
                    u"the value does not exist (error 2). Nothing was changed."},
        FailureCase{"AccessRefused",
                    [](MemoryRegistry& r) { r.DenyWrite(kHkeyLocalMachine, kLsaKey); },
                    u"Could not read SYSTEM\\CurrentControlSet\\Control\\Lsa\\Security Packages: "
                    u"access was refused (error 5). Please run this program as an administrator. "
                    u"Nothing was changed."},
        FailureCase{"UnsupportedType",
                    [](MemoryRegistry& r) {
                      r.Seed(kHkeyLocalMachine, kLsaKey, kPackagesValue, kRegExpandSz,
                             SzBytes(u"kerberos"));
                    },
                    u"Could not read SYSTEM\\CurrentControlSet\\Control\\Lsa\\Security Packages: "
                    u"its type (REG_EXPAND_SZ) is not supported (error 1630: Data of this type is "
                    u"not supported). Nothing was changed."},
        FailureCase{"TextWhereAListBelongs",
                    [](MemoryRegistry& r) {
                      r.Seed(kHkeyLocalMachine, kLsaKey, kPackagesValue, kRegSz,
                             SzBytes(u"kerberos"));
                    },
                    u"Current Value: kerberos\r\n"
                    u"SYSTEM\\CurrentControlSet\\Control\\Lsa\\Security Packages is a REG_SZ value "
                    u"where REG_MULTI_SZ was expected; it was left unchanged."},
        FailureCase{
            "WriteRefused",
            [](MemoryRegistry& r) { r.FailSetValue(kHkeyLocalMachine, kLsaKey, 1450); },
            u"Current Value: kerberos msv1_0 schannel wdigest \r\n"
            u"Adding Value tspkg to registry key.\r\n"
            u"Backup saved to: C:\\ProgramData\\Tarnwick\\Backups\\registry-000001-2026-12-08_"
            u"193012.reg\r\n"
            u"Could not update SYSTEM\\CurrentControlSet\\Control\\Lsa\\Security Packages: "
            u"the registry reported error 1450."}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(UpdateAuthProtocolsTest, MissingKeysAreReportedForBothStages) {
  const std::u16string log = Run();
  EXPECT_NE(log.find(u"Security Packages: the key does not exist (error 2)."),
            std::u16string::npos);
  EXPECT_NE(log.find(u"SecurityProviders: the key does not exist (error 2)."),
            std::u16string::npos);
  EXPECT_EQ(registry_.SetValueCalls(), 0);
  EXPECT_FALSE(registry_.KeyExists(kHkeyLocalMachine, kLsaKey));
}

TEST_F(UpdateAuthProtocolsTest, AListWhereTextBelongsIsLeftAlone) {
  SeedXpSp3(registry_);
  registry_.Seed(kHkeyLocalMachine, kProvidersKey, kProvidersValue, kRegMultiSz,
                 MultiSzBytes({u"a.dll", u"b.dll"}));
  const std::u16string log = Run();
  EXPECT_NE(log.find(u"SecurityProviders is a REG_MULTI_SZ value where REG_SZ was expected; it "
                     u"was left unchanged.\r\nStep 2 Complete"),
            std::u16string::npos);
  EXPECT_EQ(Providers(), MultiSzBytes({u"a.dll", u"b.dll"}));
}

}  // namespace
}  // namespace tarnwick::testing
