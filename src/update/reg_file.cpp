#include "update/reg_file.h"

#include <string>

namespace tarnwick {
namespace {

constexpr std::size_t kLineWidth = 76;

std::u16string Escaped(std::u16string_view name) {
  std::u16string out;
  for (char16_t c : name) {
    if (c == u'\\' || c == u'"')
      out += u'\\';
    out += c;
  }
  return out;
}

std::u16string HexType(RegType type) {
  static constexpr char16_t kHex[] = u"0123456789abcdef";
  std::u16string digits;
  do {
    digits.insert(digits.begin(), kHex[type & 0xF]);
    type >>= 4;
  } while (type != 0);
  return u"hex(" + digits + u"):";
}

// `"Name"=hex(N):xx,xx,...`, continued with a trailing "\" on lines of at most kLineWidth.
std::u16string ValueLine(const RegFileValue& value) {
  static constexpr char16_t kHex[] = u"0123456789abcdef";
  std::u16string line = u"\"" + Escaped(value.valueName) + u"\"=" + HexType(value.type);
  std::size_t column = line.size();
  for (std::size_t i = 0; i < value.bytes.size(); ++i) {
    const auto b = std::to_integer<unsigned>(value.bytes[i]);
    line += kHex[b >> 4];
    line += kHex[b & 0xF];
    column += 2;
    if (i + 1 < value.bytes.size()) {
      line += u',';
      ++column;
      if (column >= kLineWidth - 3) {
        line += u"\\\r\n  ";
        column = 2;
      }
    }
  }
  return line;
}

}  // namespace

std::u16string RegFileText(std::span<const RegFileValue> values) {
  std::u16string text = u"Windows Registry Editor Version 5.00\r\n";
  for (const RegFileValue& value : values) {
    text += u"\r\n[HKEY_LOCAL_MACHINE\\" + value.keyPath + u"]\r\n";
    text += ValueLine(value) + u"\r\n";
  }
  return text;
}

std::vector<std::byte> RegFileBytes(std::u16string_view text) {
  std::vector<std::byte> bytes;
  bytes.reserve(2 + 2 * text.size());
  bytes.push_back(std::byte{0xFF});
  bytes.push_back(std::byte{0xFE});
  for (char16_t c : text) {
    bytes.push_back(static_cast<std::byte>(c & 0xFF));
    bytes.push_back(static_cast<std::byte>(c >> 8));
  }
  return bytes;
}

}  // namespace tarnwick
