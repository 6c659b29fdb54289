// The dotted version on any UTF-16 text: the numbers it reads, written out, read the same.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_input.h"
#include "version/rdp_version.h"

namespace {

std::u16string Decimal(std::uint32_t value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarnwick;
  const auto version = LeadingDottedVersion(fuzz::Utf16(data, size));
  if (version) {
    const std::u16string written =
        Decimal(version->major) + u"." + Decimal(version->minor) + u"." + Decimal(version->build);
    fuzz::Check(LeadingDottedVersion(written) == version, "the numbers read back the same");
  }
  return 0;
}
