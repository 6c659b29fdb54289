// What the fuzz targets share: text from the fuzzer's bytes, and a check that stops the run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace tarnwick::fuzz {

// The bytes read as UTF-16LE, two at a time; an odd last byte is left out.
inline std::u16string Utf16(const std::uint8_t* data, std::size_t size) {
  std::u16string text(size / 2, u'\0');
  for (std::size_t i = 0; i < text.size(); ++i)
    text[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
  return text;
}

// A property that must hold for every input; the fuzzer keeps the input that breaks it.
inline void Check(bool holds, const char* property) {
  if (!holds) {
    std::fprintf(stderr, "broken property: %s\n", property);
    std::abort();
  }
}

}  // namespace tarnwick::fuzz
