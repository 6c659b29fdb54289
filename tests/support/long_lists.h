// The two values as long as a backup that the undo reads allows: a package list of one element
// and a provider text of `n` characters, as stored before and after the update adds its name.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "backup/backup_files.h"
#include "backup/reg_file.h"
#include "memory_registry.h"
#include "xp_sp3.h"

namespace tarnwick::testing {

inline std::vector<std::byte> LongPackages(std::size_t n) {
  return MultiSzBytes({std::u16string(n, u'x')});
}
inline std::vector<std::byte> LongPackagesUpdated(std::size_t n) {
  return MultiSzBytes({std::u16string(n, u'x'), u"tspkg"});
}
inline std::vector<std::byte> LongProviders(std::size_t n) {
  return SzBytes(std::u16string(n, u'x'));
}
inline std::vector<std::byte> LongProvidersUpdated(std::size_t n) {
  return SzBytes(std::u16string(n, u'x') + u", credssp.dll");
}

// The file that backs up `bytes` as the value `name` of `key`.
inline std::vector<std::byte> BackupOf(std::u16string_view key, std::u16string_view name,
                                       RegType type, std::vector<std::byte> bytes) {
  const RegFileValue value{std::u16string(key), std::u16string(name), type, std::move(bytes)};
  return RegFileBytes(RegFileText({&value, 1}));
}

// The longest values whose backup an undo still reads (kMaxBackupSize bytes): so many
// characters in the forms above. The update's and the undo's tests hold each to both sides of
// the limit.
inline constexpr std::size_t kMostPackages = 81685;
inline constexpr std::size_t kMostPackagesUpdated = 81679;
inline constexpr std::size_t kMostProviders = 81684;
inline constexpr std::size_t kMostProvidersUpdated = 81671;

}  // namespace tarnwick::testing
