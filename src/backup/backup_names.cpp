#include "backup/backup_names.h"

#include <algorithm>
#include <vector>

#include "platform/text.h"

namespace tarnwick {
namespace {

constexpr std::u16string_view kExtension = u".reg";
// More files of one second than any run makes; also keeps the number far from overflow.
constexpr std::uint64_t kMaxNumber = 999999;
constexpr std::size_t kSequenceWidth = 6;

std::u16string_view Prefix(BackupKind kind) {
  return kind == BackupKind::kUpdate ? u"registry-" : u"before-undo-";
}

// The runs of decimal digits in `text`, in order, each as its number; a number beyond ten digits
// counts as ten nines, which no field takes.
std::vector<std::uint64_t> Numbers(std::u16string_view text) {
  std::vector<std::uint64_t> numbers;
  bool inRun = false;
  for (char16_t c : text) {
    const bool digit = c >= u'0' && c <= u'9';
    if (digit && !inRun)
      numbers.push_back(0);
    if (digit)
      numbers.back() = std::min<std::uint64_t>(numbers.back() * 10 + (c - u'0'), 9999999999);
    inRun = digit;
  }
  return numbers;
}

// The stamp that numbers[at..at+3] give (year, month, day, then hour, minute and second as one
// number); nothing where a field is out of range.
std::optional<BackupStamp> StampAt(const std::vector<std::uint64_t>& numbers, std::size_t at) {
  if (numbers.size() < at + 4)
    return std::nullopt;
  const std::uint64_t year = numbers[at], month = numbers[at + 1], day = numbers[at + 2];
  const std::uint64_t hour = numbers[at + 3] / 10000, minute = numbers[at + 3] / 100 % 100;
  const std::uint64_t second = numbers[at + 3] % 100;
  if (year > 9999 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 ||
      second > 59)
    return std::nullopt;
  const auto field = [](std::uint64_t value) { return static_cast<int>(value); };
  return BackupStamp{field(year), field(month),  field(day),
                     field(hour), field(minute), field(second)};
}

}  // namespace

std::u16string BackupFileName(BackupKind kind, std::uint32_t sequence, const BackupStamp& stamp) {
  return std::u16string(Prefix(kind)) + NumberText(sequence, kSequenceWidth) + u'-' +
         StampText(stamp) + std::u16string(kExtension);
}

std::u16string StampText(const BackupStamp& stamp) {
  auto digits = [](int value, std::size_t width) {
    return NumberText(static_cast<std::uint32_t>(value), width);
  };
  return digits(stamp.year, 4) + u'-' + digits(stamp.month, 2) + u'-' + digits(stamp.day, 2) +
         u'_' + digits(stamp.hour, 2) + digits(stamp.minute, 2) + digits(stamp.second, 2);
}

std::optional<BackupName> ParseBackupFileName(BackupKind kind, std::u16string_view name) {
  const std::u16string_view prefix = Prefix(kind);
  if (!name.starts_with(prefix) || !name.ends_with(kExtension))
    return std::nullopt;
  // The numbers are read loosely; only a name that they make again, exactly, is read.
  const std::vector<std::uint64_t> numbers = Numbers(name.substr(prefix.size()));
  if (numbers.size() == 5 && numbers[0] >= 1 && numbers[0] <= kMaxBackupSequence) {
    const auto sequence = static_cast<std::uint32_t>(numbers[0]);
    if (const auto stamp = StampAt(numbers, 1);
        stamp && BackupFileName(kind, sequence, *stamp) == name)
      return BackupName{sequence, *stamp, 1};
  }
  // The earlier form: the stamp, and "-n" from 2 on for a later file of the same second.
  const std::optional<BackupStamp> stamp = numbers.size() <= 5 ? StampAt(numbers, 0) : std::nullopt;
  const std::uint64_t number = numbers.size() == 5 ? numbers[4] : 1;
  if (!stamp || (numbers.size() == 5 && (number < 2 || number > kMaxNumber)) ||
      name != std::u16string(prefix) + StampText(*stamp) +
                  (number > 1 ? u"-" + NumberText(number) : u"") + std::u16string(kExtension))
    return std::nullopt;
  return BackupName{0, *stamp, static_cast<int>(number)};
}

}  // namespace tarnwick
