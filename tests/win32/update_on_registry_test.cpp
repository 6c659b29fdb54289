// The update against the real registry of the throwaway Wine prefix. Each test puts the two
// values back as it found them.
#include <gtest/gtest.h>

#include <optional>

#include "app/activity_log.h"
#include "memory_registry.h"
#include "platform/win32/win32_registry.h"
#include "update/auth_protocols.h"
#include "value_backup.h"
#include "xp_sp3.h"

namespace tarnwick::testing {
namespace {

class UpdateOnRegistry : public ::testing::Test {
 protected:
  void SeedPackages(RegType type, const std::vector<std::byte>& bytes) {
    ValueBackup::Write(registry_, kLsaKey, kPackagesValue, type, bytes);
  }
  void SeedProviders(RegType type, const std::vector<std::byte>& bytes) {
    ValueBackup::Write(registry_, kProvidersKey, kProvidersValue, type, bytes);
  }
  StoredValue Packages() { return ValueBackup::Read(registry_, kLsaKey, kPackagesValue).value(); }
  StoredValue Providers() {
    return ValueBackup::Read(registry_, kProvidersKey, kProvidersValue).value();
  }
  std::u16string Run() {
    ActivityLog log;
    UpdateAuthProtocols(registry_, log);
    return log.Text();
  }

  win32::Win32Registry registry_;
  ValueBackup packages_{registry_, kLsaKey, kPackagesValue};
  ValueBackup providers_{registry_, kProvidersKey, kProvidersValue};
};

TEST_F(UpdateOnRegistry, WindowsXpSp3ValuesAreExtendedOnceAndThenLeftAlone) {
  SeedPackages(kRegMultiSz, XpPackagesBytes());
  SeedProviders(kRegSz, SzBytes(kXpProviders));

  EXPECT_EQ(Run(), kXpFirstRunLog);
  EXPECT_EQ(Packages().type, kRegMultiSz);
  EXPECT_EQ(Packages().bytes,
            MultiSzBytes({u"kerberos", u"msv1_0", u"schannel", u"wdigest", u"tspkg"}));
  EXPECT_EQ(Providers().type, kRegSz);
  EXPECT_EQ(Providers().bytes,
            SzBytes(u"msapsspc.dll, schannel.dll, digest.dll, msnsspc.dll, credssp.dll"));

  EXPECT_EQ(Run(), kXpSecondRunLog);
  EXPECT_EQ(Packages().bytes,
            MultiSzBytes({u"kerberos", u"msv1_0", u"schannel", u"wdigest", u"tspkg"}));
}

TEST_F(UpdateOnRegistry, LargeAndNonAsciiListsAreReadWholeAndKept) {
  std::u16string longName(1500, u'p');
  const std::u16string cyrillic = u"\u043F\u0430\u043A\u0435\u0442";
  SeedPackages(kRegMultiSz, MultiSzBytes({u"kerberos", longName, cyrillic}));
  SeedProviders(kRegSz, SzBytes(u"credssp.dll"));

  const std::u16string log = Run();
  EXPECT_NE(log.find(u"Current Value: kerberos " + longName + u" " + cyrillic + u" \r\n"),
            std::u16string::npos);
  EXPECT_EQ(Packages().bytes, MultiSzBytes({u"kerberos", longName, cyrillic, u"tspkg"}));
  EXPECT_NE(log.find(u"credssp.dll already present, no change required"), std::u16string::npos);
}

TEST_F(UpdateOnRegistry, MissingAndUnsupportedValuesAreReportedAndNotWritten) {
  {
    RegKey key = kNoKey;
    ASSERT_EQ(registry_.OpenKey(kHkeyLocalMachine, kLsaKey, 0, kKeyAccessMask, key), kErrorSuccess);
    registry_.DeleteValue(key, kPackagesValue);
    registry_.CloseKey(key);
  }
  SeedProviders(kRegExpandSz, SzBytes(u"%SystemRoot%\\x.dll"));

  const std::u16string log = Run();
  EXPECT_NE(log.find(u"Security Packages: the value does not exist. Nothing was changed.\r\n"
                     u"Step 1 Complete"),
            std::u16string::npos);
  EXPECT_NE(log.find(u"SecurityProviders: its type (REG_EXPAND_SZ) is not supported. Nothing was "
                     u"changed.\r\nStep 2 Complete"),
            std::u16string::npos);
  EXPECT_FALSE(ValueBackup::Read(registry_, kLsaKey, kPackagesValue));
  EXPECT_EQ(Providers().type, kRegExpandSz);
  EXPECT_EQ(Providers().bytes, SzBytes(u"%SystemRoot%\\x.dll"));
}

}  // namespace
}  // namespace tarnwick::testing
