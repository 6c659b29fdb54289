#include "platform/text.h"

namespace tarnwick {
namespace {

std::u16string Digits(std::uint64_t value, unsigned base, std::size_t width, bool lower) {
  std::u16string digits;
  do {
    const char16_t digit = kHexDigits[value % base];
    digits.insert(digits.begin(), lower ? FoldAscii(digit) : digit);
    value /= base;
  } while (value != 0 || digits.size() < width);
  return digits;
}

}  // namespace

std::u16string NumberText(std::uint64_t value, std::size_t width) {
  return Digits(value, 10, width, false);
}

std::u16string HexText(std::uint64_t value, std::size_t width, bool lower) {
  return Digits(value, 16, width, lower);
}

std::u16string DecodeUtf16Le(std::span<const std::byte> bytes) {
  std::u16string text(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    text[i] = static_cast<char16_t>(std::to_integer<unsigned>(bytes[2 * i]) |
                                    (std::to_integer<unsigned>(bytes[2 * i + 1]) << 8));
  }
  return text;
}

std::vector<std::byte> EncodeUtf16Le(std::u16string_view text) {
  std::vector<std::byte> bytes;
  bytes.reserve(2 * text.size());
  for (char16_t c : text) {
    bytes.push_back(static_cast<std::byte>(c & 0xFF));
    bytes.push_back(static_cast<std::byte>(c >> 8));
  }
  return bytes;
}

}  // namespace tarnwick
