#include "update/auth_protocols.h"

#include <gtest/gtest.h>

#include "app/activity_log.h"
#include "memory_registry.h"
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
    UpdateAuthProtocols(registry_, log);
    EXPECT_EQ(registry_.OpenHandles(), 0);
    return log.Text();
  }

  MemoryRegistry registry_;
};

TEST_F(UpdateAuthProtocolsTest, AddsBothNamesOnceAndLogsEveryStep) {
  SeedXpSp3(registry_);
  EXPECT_EQ(Run(), kXpFirstRunLog);
  EXPECT_EQ(Packages(), MultiSzBytes({u"kerberos", u"msv1_0", u"schannel", u"wdigest", u"tspkg"}));
  EXPECT_EQ(Providers(),
            SzBytes(u"msapsspc.dll, schannel.dll, digest.dll, msnsspc.dll, credssp.dll"));

  const int writes = registry_.SetValueCalls();
  EXPECT_EQ(Run(), kXpSecondRunLog);
  EXPECT_EQ(registry_.SetValueCalls(), writes) << "a second run writes nothing";
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
                    u"the value does not exist. Nothing was changed."},
        FailureCase{"AccessRefused",
                    [](MemoryRegistry& r) { r.DenyWrite(kHkeyLocalMachine, kLsaKey); },
                    u"Could not read SYSTEM\\CurrentControlSet\\Control\\Lsa\\Security Packages: "
                    u"access was refused. Please run this program as an administrator. Nothing "
                    u"was changed."},
        FailureCase{"UnsupportedType",
                    [](MemoryRegistry& r) {
                      r.Seed(kHkeyLocalMachine, kLsaKey, kPackagesValue, kRegExpandSz,
                             SzBytes(u"kerberos"));
                    },
                    u"Could not read SYSTEM\\CurrentControlSet\\Control\\Lsa\\Security Packages: "
                    u"its type (REG_EXPAND_SZ) is not supported. Nothing was changed."},
        FailureCase{"TextWhereAListBelongs",
                    [](MemoryRegistry& r) {
                      r.Seed(kHkeyLocalMachine, kLsaKey, kPackagesValue, kRegSz,
                             SzBytes(u"kerberos"));
                    },
                    u"Current Value: kerberos\r\n"
                    u"SYSTEM\\CurrentControlSet\\Control\\Lsa\\Security Packages is a REG_SZ value "
                    u"where REG_MULTI_SZ was expected; it was left unchanged."},
        FailureCase{"WriteRefused",
                    [](MemoryRegistry& r) { r.FailSetValue(kHkeyLocalMachine, kLsaKey, 1450); },
                    u"Current Value: kerberos msv1_0 schannel wdigest \r\n"
                    u"Adding Value tspkg to registry key.\r\n"
                    u"Could not update SYSTEM\\CurrentControlSet\\Control\\Lsa\\Security Packages: "
                    u"the registry reported error 1450."}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(UpdateAuthProtocolsTest, MissingKeysAreReportedForBothStages) {
  const std::u16string log = Run();
  EXPECT_NE(log.find(u"Security Packages: the key does not exist."), std::u16string::npos);
  EXPECT_NE(log.find(u"SecurityProviders: the key does not exist."), std::u16string::npos);
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
