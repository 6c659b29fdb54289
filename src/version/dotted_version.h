// The leading "major.minor.build" numbers of a version text, compared as numbers.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tarnwick {

struct DottedVersion {
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t build = 0;

  friend auto operator<=>(const DottedVersion&, const DottedVersion&) = default;
};

// The three dot-separated decimal numbers the text starts with; whatever follows them (a
// fourth number, a blank and a build tag, ...) is ignored. Nothing when the text does not start
// that way. A number too large for 32 bits counts as the largest one.
std::optional<DottedVersion> LeadingDottedVersion(std::u16string_view text);

}  // namespace tarnwick
