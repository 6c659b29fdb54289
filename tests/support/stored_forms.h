// The two values and the Lsa\OSConfig key as real machines store them, each with the Windows it
// came from and what one update run logs, writes and returns there. The forms of Windows 7 and
// 10 are from the SYSTEM hives of real machines (public forensic test data), byte for byte; XP
// SP3's are its defaults.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "memory_registry.h"
#include "platform/registry_ops.h"
#include "platform/system_info.h"
#include "update/update_and_check.h"
#include "xp_sp3.h"

namespace tarnwick::testing {

inline constexpr std::u16string_view kOsConfigKey =
    u"SYSTEM\\CurrentControlSet\\Control\\Lsa\\OSConfig";

enum class OsConfig {
  kNoKey,     // Windows 7 and older
  kEmptyKey,  // Windows 10 1709 and later: no values, no subkeys
  kValue,     // Windows 8.1 and 10 before 1709: "Security Packages" lists the built-in packages
};

struct StoredForm {
  const char* label;
  // The Wine version (HKCU\Software\Wine, value Version) whose prefix reports this Windows;
  // empty for forms that only the in-memory registry plays.
  std::u16string_view wine;
  WindowsVersion windows;
  std::vector<std::byte> packages;  // Lsa "Security Packages", REG_MULTI_SZ
  OsConfig osConfig;
  std::vector<std::byte> osConfigPackages;  // with kValue, REG_MULTI_SZ
  std::vector<std::byte> providers;         // "SecurityProviders", REG_SZ
  // The whole log of one run; "{windows}" stands for the version as the log writes it,
  // "{backup}" and "{backup2}" for the backup files' paths and "{system}" for the system
  // directory.
  std::u16string log;
  std::vector<std::byte> packagesAfter;
  std::vector<std::byte> providersAfter;
  UpdateOutcome outcome;
  bool credssp = true;  // tspkg.dll and credssp.dll are in the system directory
};

// `""`: one element of two quotation marks, as Windows 10 stores the list.
inline std::vector<std::byte> QuotesListBytes() {
  return RawBytes({0x22, 0x00, 0x22, 0x00, 0x00, 0x00, 0x00, 0x00});
}

inline constexpr std::u16string_view kReadingPackages =
    u"\r\nReading Value From: SYSTEM\\CurrentControlSet\\Control\\Lsa\\Security Packages";
inline constexpr std::u16string_view kReadingBuiltIn =
    u"\r\nReading Value From: SYSTEM\\CurrentControlSet\\Control\\Lsa\\OSConfig\\Security Packages";
inline constexpr std::u16string_view kProvidersHaveCredssp =
    u"\r\nStep 1 Complete\r\n"
    u"\r\nReading Value From: SYSTEM\\CurrentControlSet\\Control\\SecurityProviders\\"
    u"SecurityProviders"
    u"\r\nCurrent Value: credssp.dll"
    u"\r\ncredssp.dll already present, no change required"
    u"\r\nStep 2 Complete\r\n"
    u"\r\nDONE!";

// What a stage that would add `name` logs on a Windows without CredSSP.
inline std::u16string NoCredssp(std::u16string_view name) {
  return u"\r\nCannot add " + std::u16string(name) +
         u": tspkg.dll and credssp.dll are not in {system}, so this Windows has no CredSSP. "
         u"Nothing was changed. Windows XP needs Service Pack 3 for CredSSP; Windows XP x64 and "
         u"Windows Server 2003 cannot use it.";
}

inline std::vector<StoredForm> StoredForms() {
  const std::u16string quotes = u"\r\nCurrent Value: \"\" ";
  const std::u16string present = u"\r\ntspkg already present, no change required";
  const std::u16string builtIn = u"\r\nWindows {windows} has tspkg built in";
  const std::u16string addsTspkg =
      u"\r\nAdding Value tspkg to registry key.\r\nBackup saved to: {backup}"
      u"\r\nKey updated to value: \"\" tspkg " +
      std::u16string(kProvidersHaveCredssp);
  // 10 1709's form, on a Windows that has tspkg built in and keeps no list of its own.
  auto builtInForm = [&](const char* label, std::u16string_view wine, WindowsVersion windows) {
    return StoredForm{label,
                      wine,
                      windows,
                      QuotesListBytes(),
                      OsConfig::kEmptyKey,
                      {},
                      SzBytes(u"credssp.dll"),
                      std::u16string(kReadingPackages) + quotes + builtIn + present +
                          std::u16string(kProvidersHaveCredssp),
                      QuotesListBytes(),
                      SzBytes(u"credssp.dll"),
                      UpdateOutcome::kNothingToChange};
  };
  return {
      {"Windows XP SP3",
       u"winxp",
       {5, 1, 2600},
       XpPackagesBytes(),
       OsConfig::kNoKey,
       {},
       SzBytes(kXpProviders),
       XpFirstRunLog(u"{backup}", u"{backup2}"),
       MultiSzBytes({u"kerberos", u"msv1_0", u"schannel", u"wdigest", u"tspkg"}),
       SzBytes(std::u16string(kXpProviders) + u", credssp.dll"),
       UpdateOutcome::kChanged},
      {"Windows 7 SP1 (hive of 2012)",
       u"win7",
       {6, 1, 7601},
       MultiSzBytes({u"kerberos", u"msv1_0", u"schannel", u"wdigest", u"tspkg", u"pku2u"}),
       OsConfig::kNoKey,
       {},
       SzBytes(u"credssp.dll"),
       std::u16string(kReadingPackages) +
           u"\r\nCurrent Value: kerberos msv1_0 schannel wdigest tspkg pku2u " + present +
           std::u16string(kProvidersHaveCredssp),
       MultiSzBytes({u"kerberos", u"msv1_0", u"schannel", u"wdigest", u"tspkg", u"pku2u"}),
       SzBytes(u"credssp.dll"),
       UpdateOutcome::kNothingToChange},
      {"Windows 10 (hive of 2015)",
       u"win10",
       {10, 0, 10240},
       QuotesListBytes(),
       OsConfig::kValue,
       MultiSzBytes(
           {u"kerberos", u"msv1_0", u"tspkg", u"pku2u", u"livessp", u"wdigest", u"schannel"}),
       SzBytes(u"credssp.dll"),
       std::u16string(kReadingPackages) + quotes + std::u16string(kReadingBuiltIn) +
           u"\r\nCurrent Value: kerberos msv1_0 tspkg pku2u livessp wdigest schannel " + present +
           std::u16string(kProvidersHaveCredssp),
       QuotesListBytes(),
       SzBytes(u"credssp.dll"),
       UpdateOutcome::kNothingToChange},
      builtInForm("Windows 10 1709 (hives of 2018 and 2020)", u"win10", {10, 0, 16299}),
      builtInForm("Windows 8.1, the first with tspkg built in, in 10 1709's form", u"win81",
                  {6, 3, 9600}),
      {"Windows 8, the last without, in 10 1709's form",
       u"",
       {6, 2, 9200},
       QuotesListBytes(),
       OsConfig::kEmptyKey,
       {},
       SzBytes(u"credssp.dll"),
       std::u16string(kReadingPackages) + quotes + addsTspkg,
       MultiSzBytes({u"\"\"", u"tspkg"}),
       SzBytes(u"credssp.dll"),
       UpdateOutcome::kChanged},
      {"Windows XP before Service Pack 3, without CredSSP",
       u"winxp",
       {5, 1, 2600},
       XpPackagesBytes(),
       OsConfig::kNoKey,
       {},
       SzBytes(kXpProviders),
       std::u16string(kReadingPackages) + u"\r\nCurrent Value: kerberos msv1_0 schannel wdigest " +
           NoCredssp(u"tspkg") +
           u"\r\nStep 1 Complete\r\n"
           u"\r\nReading Value From: "
           u"SYSTEM\\CurrentControlSet\\Control\\SecurityProviders\\SecurityProviders"
           u"\r\nCurrent Value: msapsspc.dll, schannel.dll, digest.dll, msnsspc.dll" +
           NoCredssp(u"credssp.dll") + u"\r\nStep 2 Complete\r\n\r\nDONE!",
       XpPackagesBytes(),
       SzBytes(kXpProviders),
       UpdateOutcome::kFailed,
       false},
      {"Windows Server 2003 SP2, without CredSSP, whose list has tspkg already",
       u"",
       {5, 2, 3790},
       MultiSzBytes({u"kerberos", u"msv1_0", u"schannel", u"wdigest", u"tspkg"}),
       OsConfig::kNoKey,
       {},
       SzBytes(kXpProviders),
       std::u16string(kReadingPackages) +
           u"\r\nCurrent Value: kerberos msv1_0 schannel wdigest tspkg " + present +
           u"\r\nStep 1 Complete\r\n"
           u"\r\nReading Value From: "
           u"SYSTEM\\CurrentControlSet\\Control\\SecurityProviders\\SecurityProviders"
           u"\r\nCurrent Value: msapsspc.dll, schannel.dll, digest.dll, msnsspc.dll" +
           NoCredssp(u"credssp.dll") + u"\r\nStep 2 Complete\r\n\r\nDONE!",
       MultiSzBytes({u"kerberos", u"msv1_0", u"schannel", u"wdigest", u"tspkg"}),
       SzBytes(kXpProviders),
       UpdateOutcome::kFailed,
       false},
      {"Windows 10 whose built-in list lacks tspkg",
       u"win10",
       {10, 0, 10240},
       QuotesListBytes(),
       OsConfig::kValue,
       MultiSzBytes({u"kerberos", u"msv1_0", u"pku2u"}),
       SzBytes(u"credssp.dll"),
       std::u16string(kReadingPackages) + quotes + std::u16string(kReadingBuiltIn) +
           u"\r\nCurrent Value: kerberos msv1_0 pku2u " + addsTspkg,
       MultiSzBytes({u"\"\"", u"tspkg"}),
       SzBytes(u"credssp.dll"),
       UpdateOutcome::kChanged},
  };
}

// The form's log with its placeholders filled in.
inline std::u16string ExpectedLog(const StoredForm& form, std::u16string_view windows,
                                  std::u16string_view backup, std::u16string_view backup2,
                                  std::u16string_view system) {
  std::u16string log = form.log;
  for (auto [token, text] : {std::pair{std::u16string_view(u"{windows}"), windows},
                             std::pair{std::u16string_view(u"{backup}"), backup},
                             std::pair{std::u16string_view(u"{backup2}"), backup2},
                             std::pair{std::u16string_view(u"{system}"), system}}) {
    for (auto at = log.find(token); at != std::u16string::npos; at = log.find(token, at))
      log.replace(at, token.size(), text);
  }
  return log;
}

// Stores the form's values and OSConfig key through the registry operations alone, so that the
// same seeding serves the in-memory registry and the real one.
inline void SeedForm(RegistryOps& registry, const StoredForm& form) {
  auto write = [&](std::u16string_view path, std::u16string_view name, RegType type,
                   const std::vector<std::byte>& bytes) {
    RegKey key = kNoKey;
    ASSERT_EQ(registry.CreateKey(kHkeyLocalMachine, path, key), kErrorSuccess);
    EXPECT_EQ(
        registry.SetValue(key, name, type, bytes.data(), static_cast<std::uint32_t>(bytes.size())),
        kErrorSuccess);
    registry.CloseKey(key);
  };
  write(kLsaKey, kPackagesValue, kRegMultiSz, form.packages);
  write(kProvidersKey, kProvidersValue, kRegSz, form.providers);
  RegKey osConfig = kNoKey;
  if (registry.OpenKey(kHkeyLocalMachine, kOsConfigKey, 0, kKeyAccessMask, osConfig) ==
      kErrorSuccess) {
    registry.DeleteValue(osConfig, kPackagesValue);
    registry.CloseKey(osConfig);
  }
  switch (form.osConfig) {
    case OsConfig::kNoKey:
      registry.DeleteKey(kHkeyLocalMachine, kOsConfigKey);
      break;
    case OsConfig::kEmptyKey:
      ASSERT_EQ(registry.CreateKey(kHkeyLocalMachine, kOsConfigKey, osConfig), kErrorSuccess);
      registry.CloseKey(osConfig);
      break;
    case OsConfig::kValue:
      write(kOsConfigKey, kPackagesValue, kRegMultiSz, form.osConfigPackages);
      break;
  }
}

}  // namespace tarnwick::testing
