// The backup reader on any bytes: it refuses or accepts, and what it accepts is exactly what
// writing its values gives.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "backup/reg_file.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarnwick;
  const std::span<const std::byte> contents(reinterpret_cast<const std::byte*>(data), size);
  const auto values = ParseRegFile(contents);
  if (!values)
    return 0;
  const std::vector<std::byte> written = RegFileBytes(RegFileText(*values));
  fuzz::Check(std::ranges::equal(written, contents), "writing the values gives the same bytes");
  const auto same = [](const RegFileValue& a, const RegFileValue& b) {
    return a.keyPath == b.keyPath && a.valueName == b.valueName && a.type == b.type &&
           a.bytes == b.bytes;
  };
  const auto again = ParseRegFile(written);
  fuzz::Check(again && std::ranges::equal(*again, *values, same),
              "what is written reads back as the same values");
  return 0;
}
