// The command line on any UTF-16 text.
#include <cstddef>
#include <cstdint>

#include "app/command_line.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarnwick;
  const std::u16string arguments = fuzz::Utf16(data, size);
  const Invocation invocation = ParseCommandLine(arguments);
  fuzz::Check(ParseCommandLine(u" \t" + arguments) == invocation,
              "blanks before the arguments change nothing");
  return 0;
}
