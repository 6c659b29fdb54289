// The two values as a Windows XP SP3 machine has them, and what one update run logs for them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "memory_registry.h"

namespace tarnwick::testing {

inline constexpr std::u16string_view kLsaKey = u"SYSTEM\\CurrentControlSet\\Control\\Lsa";
inline constexpr std::u16string_view kPackagesValue = u"Security Packages";
inline constexpr std::u16string_view kProvidersKey =
    u"SYSTEM\\CurrentControlSet\\Control\\SecurityProviders";
inline constexpr std::u16string_view kProvidersValue = u"SecurityProviders";

inline constexpr std::u16string_view kXpProviders =
    u"msapsspc.dll, schannel.dll, digest.dll, msnsspc.dll";

// "Security Packages" as stored: kerberos, msv1_0, schannel, wdigest.
inline std::vector<std::byte> XpPackagesBytes() {
  return MultiSzBytes({u"kerberos", u"msv1_0", u"schannel", u"wdigest"});
}

inline void SeedXpSp3(MemoryRegistry& registry) {
  registry.Seed(kHkeyLocalMachine, kLsaKey, kPackagesValue, kRegMultiSz, XpPackagesBytes());
  registry.Seed(kHkeyLocalMachine, kProvidersKey, kProvidersValue, kRegSz, SzBytes(kXpProviders));
}

// What the first run logs, with the paths of the backup files it saved, one for each value.
inline std::u16string XpFirstRunLog(std::u16string_view packagesBackup,
                                    std::u16string_view providersBackup) {
  return u"\r\nReading Value From: SYSTEM\\CurrentControlSet\\Control\\Lsa\\Security Packages"
         u"\r\nCurrent Value: kerberos msv1_0 schannel wdigest "
         u"\r\nAdding Value tspkg to registry key."
         u"\r\nBackup saved to: " +
         std::u16string(packagesBackup) +
         u"\r\nKey updated to value: kerberos msv1_0 schannel wdigest tspkg "
         u"\r\nStep 1 Complete\r\n"
         u"\r\nReading Value From: "
         u"SYSTEM\\CurrentControlSet\\Control\\SecurityProviders\\SecurityProviders"
         u"\r\nCurrent Value: msapsspc.dll, schannel.dll, digest.dll, msnsspc.dll"
         u"\r\nAdding Value credssp.dll to registry key."
         u"\r\nBackup saved to: " +
         std::u16string(providersBackup) +
         u"\r\nKey updated to value: msapsspc.dll, schannel.dll, digest.dll, msnsspc.dll, "
         u"credssp.dll"
         u"\r\nStep 2 Complete\r\n"
         u"\r\nDONE!";
}

// The path on the log's first "Backup saved to: " line, or on its second with `second`; empty
// when there is none.
inline std::u16string BackupPathIn(std::u16string_view log, bool second = false) {
  constexpr std::u16string_view kLine = u"\r\nBackup saved to: ";
  auto start = log.find(kLine);
  if (second && start != std::u16string_view::npos)
    start = log.find(kLine, start + kLine.size());
  if (start == std::u16string_view::npos)
    return {};
  const auto from = start + kLine.size();
  return std::u16string(log.substr(from, log.find(u"\r\n", from) - from));
}

inline const std::u16string kXpSecondRunLog =
    u"\r\nReading Value From: SYSTEM\\CurrentControlSet\\Control\\Lsa\\Security Packages"
    u"\r\nCurrent Value: kerberos msv1_0 schannel wdigest tspkg "
    u"\r\ntspkg already present, no change required"
    u"\r\nStep 1 Complete\r\n"
    u"\r\nReading Value From: "
    u"SYSTEM\\CurrentControlSet\\Control\\SecurityProviders\\SecurityProviders"
    u"\r\nCurrent Value: msapsspc.dll, schannel.dll, digest.dll, msnsspc.dll, credssp.dll"
    u"\r\ncredssp.dll already present, no change required"
    u"\r\nStep 2 Complete\r\n"
    u"\r\nDONE!";

}  // namespace tarnwick::testing
