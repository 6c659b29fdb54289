#include "backup/reg_file.h"

#include <algorithm>
#include <string>

#include "platform/text.h"

namespace tarnwick {
namespace {

constexpr std::size_t kLineWidth = 76;
constexpr std::u16string_view kHeader = u"Windows Registry Editor Version 5.00\r\n";
constexpr std::u16string_view kSectionStart = u"\r\n[HKEY_LOCAL_MACHINE\\";

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
  return u"hex(" + HexText(type, 1, true) + u"):";
}

// `"Name"=hex(N):xx,xx,...`, continued with a trailing "\" on lines of at most kLineWidth.
std::u16string ValueLine(const RegFileValue& value) {
  std::u16string line = u"\"" + Escaped(value.valueName) + u"\"=" + HexType(value.type);
  std::size_t lineStart = 0;
  for (std::size_t i = 0; i < value.bytes.size(); ++i) {
    line += HexText(std::to_integer<unsigned>(value.bytes[i]), 2, true);
    if (i + 1 < value.bytes.size()) {
      line += u',';
      if (line.size() - lineStart >= kLineWidth - 3) {
        line += u"\\\r\n  ";
        lineStart = line.size() - 2;  // at its two blanks
      }
    }
  }
  return line;
}

// One section's key path and value, read loosely; the caller compares the whole file with
// what writing the values gives.
std::optional<RegFileValue> ParseSection(std::u16string_view section) {
  RegFileValue value;
  const auto keyEnd = section.find(u"]\r\n\"");
  if (keyEnd == std::u16string_view::npos)
    return std::nullopt;
  value.keyPath = std::u16string(section.substr(0, keyEnd));
  section.remove_prefix(keyEnd + 4);
  std::size_t i = 0;
  for (; i < section.size() && section[i] != u'"'; ++i) {
    // An escape needs the character it escapes; a name cut short after one is no name.
    if (section[i] == u'\\' && ++i == section.size())
      return std::nullopt;
    value.valueName += section[i];
  }
  constexpr std::u16string_view kHex = u"\"=hex(";
  if (section.substr(i, kHex.size()) != kHex)
    return std::nullopt;
  i += kHex.size();
  RegType type = 0;
  int digits = 0;
  for (; i < section.size() && HexDigitValue(section[i]) >= 0 && digits < 8; ++i, ++digits)
    type = (type << 4) | static_cast<RegType>(HexDigitValue(section[i]));
  if (digits == 0 || section.substr(i, 2) != u"):")
    return std::nullopt;
  value.type = type;
  for (i += 2; i + 1 < section.size(); i += 2) {
    while (i < section.size() && (section[i] == u',' || section[i] == u'\\' ||
                                  section[i] == u'\r' || section[i] == u'\n' || section[i] == u' '))
      ++i;
    if (i + 1 >= section.size())
      break;
    const int high = HexDigitValue(section[i]);
    const int low = HexDigitValue(section[i + 1]);
    if (high < 0 || low < 0)
      return std::nullopt;
    value.bytes.push_back(static_cast<std::byte>(high << 4 | low));
  }
  return value;
}

}  // namespace

std::u16string RegFileText(std::span<const RegFileValue> values) {
  std::u16string text(kHeader);
  for (const RegFileValue& value : values) {
    text += std::u16string(kSectionStart) + value.keyPath + u"]\r\n";
    text += ValueLine(value) + u"\r\n";
  }
  return text;
}

std::vector<std::byte> RegFileBytes(std::u16string_view text) {
  std::vector<std::byte> bytes{std::byte{0xFF}, std::byte{0xFE}};
  const std::vector<std::byte> encoded = EncodeUtf16Le(text);
  bytes.insert(bytes.end(), encoded.begin(), encoded.end());
  return bytes;
}

std::optional<std::vector<RegFileValue>> ParseRegFile(std::span<const std::byte> contents) {
  // Read loosely after the byte-order mark and the header, which the comparison below checks.
  const std::u16string text =
      DecodeUtf16Le(contents.subspan(std::min<std::size_t>(2, contents.size())));
  std::vector<RegFileValue> values;
  std::u16string_view rest =
      std::u16string_view(text).substr(std::min(kHeader.size(), text.size()));
  while (!rest.empty()) {
    if (rest.substr(0, kSectionStart.size()) != kSectionStart)
      return std::nullopt;
    rest.remove_prefix(kSectionStart.size());
    const std::size_t end = rest.find(kSectionStart);
    std::optional<RegFileValue> value = ParseSection(rest.substr(0, end));
    if (!value)
      return std::nullopt;
    values.push_back(std::move(*value));
    rest.remove_prefix(end == std::u16string_view::npos ? rest.size() : end);
  }
  // Only a file that writing these values gives again, to the byte, is one of ours.
  if (!std::ranges::equal(RegFileBytes(RegFileText(values)), contents))
    return std::nullopt;
  return values;
}

}  // namespace tarnwick
