// The names of backup files: made from a kind, a sequence number and the local date and time, and
// read back strictly so that files can be ordered by when they were made. The local time can go
// back (daylight saving time, a corrected clock, another time zone); the sequence number cannot.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

// Which file: "registry-<n>-<stamp>.reg" (saved before an update) or
// "before-undo-<n>-<stamp>.reg" (saved before an undo), where <n> is one above the highest in
// the folder, of either kind, and <stamp> the local "YYYY-MM-DD_HHMMSS".
enum class BackupKind { kUpdate, kBeforeUndo };

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

// The highest sequence number a name carries; a folder that reached it takes no newer file.
inline constexpr std::uint32_t kMaxBackupSequence = 999999999;

// What a file name says about when it was made, in the order that sorts it among the others.
// Names of the earlier form carry no sequence number (0), so they sort before every later one,
// and among themselves by their stamp and, within one second, by their "-n" (1 without one).
struct BackupName {
  std::uint32_t sequence = 0;
  BackupStamp stamp;
  int number = 1;

  auto operator<=>(const BackupName&) const = default;
};

// The stamp as names carry it: "2026-12-08_193012".
std::u16string StampText(const BackupStamp& stamp);

// "registry-000042-2026-12-08_193012.reg" for sequence 42: at least six digits, so that the
// names of one kind list in the order they were made.
std::u16string BackupFileName(BackupKind kind, std::uint32_t sequence, const BackupStamp& stamp);

// What a file name of `kind` says, exactly as BackupFileName makes them (same case, two-digit
// fields in range, a sequence from 1 without further leading zeros), or in the earlier form
// "registry-2026-12-08_193012.reg", with "-n" from 2 on for a later file of the same second;
// nothing otherwise.
std::optional<BackupName> ParseBackupFileName(BackupKind kind, std::u16string_view name);

}  // namespace tarnwick
