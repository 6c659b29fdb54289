// The names of backup files: made from a kind, a date and time and a number, and read back
// strictly so that files can be ordered by when they were made.
#pragma once

#include <compare>
#include <optional>
#include <string>
#include <string_view>

#include "backup/backup_files.h"

namespace tarnwick {

// A local date and time to the second, as a file name carries it.
struct BackupStamp {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;

  auto operator<=>(const BackupStamp&) const = default;
};

// What a file name says: when it was made and, among files of the same second, which came
// later (1 for a name without "-n").
struct BackupName {
  BackupStamp stamp;
  int number = 1;

  auto operator<=>(const BackupName&) const = default;
};

// "registry-2026-12-08_193012.reg" for number 1, "registry-2026-12-08_193012-2.reg" for 2.
std::u16string BackupFileName(BackupKind kind, const BackupStamp& stamp, int number);

// The stamp and number of a file name of `kind`, exactly as BackupFileName makes them (same
// case, two-digit fields in range, "-n" from 2 on without leading zeros); nothing otherwise.
std::optional<BackupName> ParseBackupFileName(BackupKind kind, std::u16string_view name);

}  // namespace tarnwick
