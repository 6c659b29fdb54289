// Small text helpers that several subsystems share.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

inline constexpr char16_t kHexDigits[] = u"0123456789ABCDEF";

// The number in decimal digits, with leading zeros up to `width` digits.
std::u16string NumberText(std::uint64_t value, std::size_t width = 1);

// The number in hexadecimal digits, upper case (lower case with `lower`), with leading zeros up
// to `width` digits.
std::u16string HexText(std::uint64_t value, std::size_t width = 1, bool lower = false);

// ASCII letters in lower case; every other character as it is.
constexpr char16_t FoldAscii(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}

// Whether the texts are the same but for the case of ASCII letters.
constexpr bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](char16_t x, char16_t y) { return FoldAscii(x) == FoldAscii(y); });
}

// The value of a hexadecimal digit of either case; -1 for any other character.
constexpr int HexDigitValue(char16_t c) {
  if (c >= u'0' && c <= u'9')
    return c - u'0';
  return FoldAscii(c) >= u'a' && FoldAscii(c) <= u'f' ? FoldAscii(c) - u'a' + 10 : -1;
}

// UTF-16LE bytes as characters; a stray odd byte at the end belongs to no character.
std::u16string DecodeUtf16Le(std::span<const std::byte> bytes);
// Characters as UTF-16LE bytes.
std::vector<std::byte> EncodeUtf16Le(std::u16string_view text);

}  // namespace tarnwick
