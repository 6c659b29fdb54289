#include "platform/registry.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "platform/platform_messages.h"
#include "platform/text.h"

namespace tarnwick {
namespace {

constexpr int kMaxReadAttempts = 16;  // the value may grow between two queries

// A key opened through RegistryOps, closed when it goes out of scope.
struct OpenedKey {
  RegistryOps& ops;
  RegKey key = kNoKey;

  ~OpenedKey() {
    if (key != kNoKey)
      ops.CloseKey(key);
  }
  SystemError Open(RegKey root, std::u16string_view path) {
    return ops.OpenKey(root, path, 0, kKeyAccessMask, key);
  }
};

bool IsTextType(RegType type) {
  return type == kRegSz || type == kRegMultiSz;
}

bool IsWritableType(RegType type) {
  return IsTextType(type) || type == kRegBinary || type == kRegDword;
}

// A 32-bit integer written as decimal or as "&h" hexadecimal (two's complement, up to eight
// digits), blanks around it allowed.
std::optional<std::int32_t> ParseInt32(std::u16string_view text) {
  const std::size_t first = text.find_first_not_of(u' ');
  if (first == text.npos)
    return std::nullopt;
  text = text.substr(first, text.find_last_not_of(u' ') + 1 - first);
  const bool hex = text.size() > 2 && text[0] == u'&' && FoldAscii(text[1]) == u'h';
  const bool negative = text[0] == u'-';
  if (hex)
    text.remove_prefix(2);
  else if (negative || text[0] == u'+')
    text.remove_prefix(1);
  const unsigned base = hex ? 16 : 10;
  const std::uint64_t limit = hex ? 0xFFFFFFFFu : negative ? 0x80000000u : 0x7FFFFFFFu;
  if (text.empty() || (hex && text.size() > 8))
    return std::nullopt;
  std::uint64_t value = 0;
  for (char16_t c : text) {
    const int digit = HexDigitValue(c);
    if (digit < 0 || static_cast<unsigned>(digit) >= base)
      return std::nullopt;
    value = value * base + static_cast<unsigned>(digit);
    if (value > limit)
      return std::nullopt;
  }
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(negative ? 0 - value : value));
}

}  // namespace

RegRead GetKeyDataValue(RegistryOps& ops, RegKey RegKeyRoot, std::u16string_view RegKeyName,
                        RegType& KeyDateType, std::u16string_view KeyValueName) {
  OpenedKey key{ops};
  if (SystemError status = key.Open(RegKeyRoot, RegKeyName); !status.ok())
    return {{std::move(status), true}, {}, kRegNone, {}};

  // The buffer is made exactly as large as the value: where there is room to spare, some
  // registries add a terminator to a string stored without one, and count it.
  RegType type = kRegNone;
  std::uint32_t size = 0;
  SystemError status = ops.QueryValue(key.key, KeyValueName, type, nullptr, size);
  if (status.ok())
    status = kErrorMoreData;
  std::vector<std::byte> buffer(size);
  for (int attempt = 0; attempt < kMaxReadAttempts && status == kErrorMoreData; ++attempt) {
    size = static_cast<std::uint32_t>(buffer.size());
    status = ops.QueryValue(key.key, KeyValueName, type, buffer.data(), size);
    if (status == kErrorMoreData)
      buffer.resize(std::max<std::size_t>(size, buffer.size() * 2));
  }
  if (!status.ok())
    return {{std::move(status)}, {}, kRegNone, {}};
  buffer.resize(std::min<std::size_t>(size, buffer.size()));
  KeyDateType = type;
  RegRead read{{}, ValueText(type, buffer), type, std::move(buffer)};
  if (!IsWritableType(type))
    read.error = UnsupportedTypeError();
  return read;
}

RegResult SetKeyDataValue(RegistryOps& ops, RegKey RegKeyRoot, std::u16string_view RegKeyName,
                          RegType KeyDateType, std::u16string_view KeyValueName,
                          std::u16string_view KeyDataValue) {
  if (!IsWritableType(KeyDateType))
    return {UnsupportedTypeError()};
  const auto data = ValueBytes(KeyDateType, KeyDataValue);
  if (!data)
    return {InvalidDataError()};
  return SetKeyDataBytes(ops, RegKeyRoot, RegKeyName, KeyDateType, KeyValueName, *data);
}

RegResult SetKeyDataBytes(RegistryOps& ops, RegKey RegKeyRoot, std::u16string_view RegKeyName,
                          RegType KeyDateType, std::u16string_view KeyValueName,
                          std::span<const std::byte> bytes) {
  OpenedKey key{ops};
  if (!key.Open(RegKeyRoot, RegKeyName).ok()) {
    if (SystemError status = ops.CreateKey(RegKeyRoot, RegKeyName, key.key); !status.ok())
      return {std::move(status), true};
  }
  return {SetValueExactly(ops, key.key, KeyValueName, KeyDateType, bytes)};
}

SystemError SetValueExactly(RegistryOps& ops, RegKey key, std::u16string_view name, RegType type,
                            std::span<const std::byte> bytes) {
  std::vector<std::byte> guarded(bytes.begin(), bytes.end());
  guarded.insert(guarded.end(), {std::byte{0xFF}, std::byte{0xFF}});
  return ops.SetValue(key, name, type, guarded.data(), static_cast<std::uint32_t>(bytes.size()));
}

std::u16string ValueText(RegType type, std::span<const std::byte> bytes) {
  if (!IsWritableType(type))
    return {};
  std::u16string text;
  if (IsTextType(type)) {
    text = DecodeUtf16Le(bytes);
  } else {
    for (std::byte b : bytes)
      text.push_back(static_cast<char16_t>(b));
  }
  // A string ends at its first NUL for every reader; what follows is not part of it.
  if (type == kRegSz)
    text.resize(std::min(text.find(u'\0'), text.size()));
  else if (!text.empty() && text.back() == u'\0')
    text.pop_back();
  if (type != kRegDword)
    return text;
  std::u16string digits = u"&h";
  for (auto c = text.rbegin(); c != text.rend(); ++c)
    digits += HexText(*c, 2);
  return digits;
}

std::optional<std::vector<std::byte>> ValueBytes(RegType type, std::u16string_view text) {
  if (IsTextType(type))
    return EncodeUtf16Le(std::u16string(text) + u'\0');
  std::vector<std::byte> data;
  if (type == kRegBinary) {
    for (char16_t c : text) {
      if (c > 0xFF)
        return std::nullopt;
      data.push_back(static_cast<std::byte>(c));
    }
    return data;
  }
  const auto number = type == kRegDword ? ParseInt32(text) : std::nullopt;
  if (!number)
    return std::nullopt;
  for (int i = 0; i < 4; ++i)
    data.push_back(static_cast<std::byte>((static_cast<std::uint32_t>(*number) >> (8 * i)) & 0xFF));
  return data;
}

SystemError FlushRegKey(RegistryOps& ops, RegKey RegKeyRoot, std::u16string_view RegKeyName) {
  OpenedKey key{ops};
  SystemError status = key.Open(RegKeyRoot, RegKeyName);
  return status.ok() ? ops.FlushKey(key.key) : status;
}

}  // namespace tarnwick
