#include "version/dotted_version.h"

#include <array>
#include <limits>

namespace tarnwick {
namespace {

bool IsDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

// Reads the decimal number at `pos` and moves past it; nothing when there is no digit there.
std::optional<std::uint32_t> ReadNumber(std::u16string_view text, std::size_t& pos) {
  constexpr std::uint32_t kMax = std::numeric_limits<std::uint32_t>::max();
  if (pos >= text.size() || !IsDigit(text[pos]))
    return std::nullopt;
  std::uint32_t value = 0;
  for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
    std::uint32_t digit = text[pos] - u'0';
    value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
  }
  return value;
}

}  // namespace

std::optional<DottedVersion> LeadingDottedVersion(std::u16string_view text) {
  std::array<std::uint32_t, 3> numbers{};
  std::size_t pos = 0;
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    if (i > 0) {
      if (pos >= text.size() || text[pos] != u'.')
        return std::nullopt;
      ++pos;
    }
    auto number = ReadNumber(text, pos);
    if (!number)
      return std::nullopt;
    numbers[i] = *number;
  }
  return DottedVersion{numbers[0], numbers[1], numbers[2]};
}

}  // namespace tarnwick
