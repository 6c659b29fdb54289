#include "backup/backup_names.h"

#include "platform/text.h"

namespace tarnwick {
namespace {

constexpr std::u16string_view kExtension = u".reg";
// More files of one second than any run makes; also keeps the number far from overflow.
constexpr int kMaxNumberDigits = 6;
constexpr std::size_t kSequenceWidth = 6;
constexpr std::size_t kMaxSequenceDigits = 9;

std::u16string_view Prefix(BackupKind kind) {
  return kind == BackupKind::kUpdate ? u"registry-" : u"before-undo-";
}

// Reads exactly `width` digits at `at` as a number within [low, high]; advances `at`.
std::optional<int> Field(std::u16string_view text, std::size_t& at, std::size_t width, int low,
                         int high) {
  if (text.size() - at < width)
    return std::nullopt;
  int value = 0;
  for (std::size_t i = 0; i < width; ++i) {
    const char16_t c = text[at + i];
    if (c < u'0' || c > u'9')
      return std::nullopt;
    value = value * 10 + (c - u'0');
  }
  if (value < low || value > high)
    return std::nullopt;
  at += width;
  return value;
}

bool Literal(std::u16string_view text, std::size_t& at, char16_t c) {
  if (at >= text.size() || text[at] != c)
    return false;
  ++at;
  return true;
}

// "YYYY-MM-DD_HHMMSS" at `at`; advances `at`.
std::optional<BackupStamp> Stamp(std::u16string_view body, std::size_t& at) {
  std::optional<int> year, month, day, hour, minute, second;
  if (!(year = Field(body, at, 4, 0, 9999)) || !Literal(body, at, u'-') ||
      !(month = Field(body, at, 2, 1, 12)) || !Literal(body, at, u'-') ||
      !(day = Field(body, at, 2, 1, 31)) || !Literal(body, at, u'_') ||
      !(hour = Field(body, at, 2, 0, 23)) || !(minute = Field(body, at, 2, 0, 59)) ||
      !(second = Field(body, at, 2, 0, 59)))
    return std::nullopt;
  return BackupStamp{*year, *month, *day, *hour, *minute, *second};
}

// "<sequence>-<stamp>": at least six digits, no leading zero beyond them.
std::optional<BackupName> SequencedName(std::u16string_view body) {
  const std::size_t digits = body.find(u'-');
  if (digits == std::u16string_view::npos || digits < kSequenceWidth ||
      digits > kMaxSequenceDigits || (digits > kSequenceWidth && body[0] == u'0'))
    return std::nullopt;
  std::size_t at = 0;
  const std::optional<int> sequence =
      Field(body, at, digits, 1, static_cast<int>(kMaxBackupSequence));
  ++at;
  const std::optional<BackupStamp> stamp = sequence ? Stamp(body, at) : std::nullopt;
  if (!stamp || at != body.size())
    return std::nullopt;
  return BackupName{static_cast<std::uint32_t>(*sequence), *stamp, 1};
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
  const std::u16string_view body =
      name.substr(prefix.size(), name.size() - prefix.size() - kExtension.size());
  if (std::optional<BackupName> sequenced = SequencedName(body))
    return sequenced;
  // The earlier form: the stamp, and "-n" for a later file of the same second.
  std::size_t at = 0;
  BackupName parsed;
  const std::optional<BackupStamp> stamp = Stamp(body, at);
  if (!stamp)
    return std::nullopt;
  parsed.stamp = *stamp;
  if (at == body.size())
    return parsed;
  if (!Literal(body, at, u'-'))
    return std::nullopt;
  const std::u16string_view number = body.substr(at);
  if (number.empty() || number.size() > kMaxNumberDigits || number[0] == u'0')
    return std::nullopt;
  std::size_t from = 0;
  const std::optional<int> n = Field(number, from, number.size(), 2, 999999);
  if (!n)
    return std::nullopt;
  parsed.number = *n;
  return parsed;
}

}  // namespace tarnwick
