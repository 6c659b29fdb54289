#include "platform/registry.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "platform/text.h"

namespace tarnwick {
namespace {

// A key opened through RegistryOps, closed when the guard goes out of scope.
class OpenedKey {
 public:
  explicit OpenedKey(RegistryOps& ops) : ops_(ops) {}
  OpenedKey(const OpenedKey&) = delete;
  OpenedKey& operator=(const OpenedKey&) = delete;
  ~OpenedKey() {
    if (key_ != kNoKey) {
      ops_.CloseKey(key_);
    }
  }

  RegStatus Open(RegKey root, std::u16string_view path) {
    return ops_.OpenKey(root, path, 0, kKeyAccessMask, key_);
  }
  RegStatus Create(RegKey root, std::u16string_view path) {
    return ops_.CreateKey(root, path, key_);
  }
  RegKey get() const { return key_; }

 private:
  RegistryOps& ops_;
  RegKey key_ = kNoKey;
};

constexpr int kMaxReadAttempts = 16;  // the value may grow between two queries

SystemError ErrorOf(RegistryOps& ops, RegStatus status) {
  return {static_cast<std::uint32_t>(status), ops.StatusText(status)};
}

bool IsNotFound(RegStatus status) {
  return status == kErrorFileNotFound || status == kErrorPathNotFound;
}

bool IsTextType(RegType type) {
  return type == kRegSz || type == kRegMultiSz;
}

std::u16string DecodeBytes(std::span<const std::byte> bytes) {
  std::u16string text;
  text.reserve(bytes.size());
  for (std::byte b : bytes) {
    text.push_back(static_cast<char16_t>(std::to_integer<unsigned>(b)));
  }
  return text;
}

std::u16string DwordDigits(std::u16string_view bytes) {
  std::u16string text = u"&h";
  for (auto it = bytes.rbegin(); it != bytes.rend(); ++it) {
    text += HexText(*it & 0xFF, 2);
  }
  return text;
}

ReadOutcome OutcomeOf(RegStatus status, bool keyLevel) {
  if (IsNotFound(status)) {
    return keyLevel ? ReadOutcome::kKeyMissing : ReadOutcome::kValueMissing;
  }
  if (status == kErrorAccessDenied) {
    return ReadOutcome::kAccessDenied;
  }
  return ReadOutcome::kFailed;
}

void AppendUtf16(std::vector<std::byte>& out, char16_t c) {
  out.push_back(static_cast<std::byte>(c & 0xFF));
  out.push_back(static_cast<std::byte>(c >> 8));
}

// A 32-bit integer written as decimal or as "&h" hexadecimal (two's complement, up to eight
// digits), blanks around it allowed.
std::optional<std::int32_t> ParseInt32(std::u16string_view text) {
  while (!text.empty() && text.front() == u' ')
    text.remove_prefix(1);
  while (!text.empty() && text.back() == u' ')
    text.remove_suffix(1);
  if (text.size() > 2 && text[0] == u'&' && (text[1] == u'h' || text[1] == u'H')) {
    text.remove_prefix(2);
    if (text.size() > 8)
      return std::nullopt;
    std::uint32_t value = 0;
    for (char16_t c : text) {
      unsigned digit;
      if (c >= u'0' && c <= u'9') {
        digit = c - u'0';
      } else if (c >= u'A' && c <= u'F') {
        digit = c - u'A' + 10;
      } else if (c >= u'a' && c <= u'f') {
        digit = c - u'a' + 10;
      } else {
        return std::nullopt;
      }
      value = (value << 4) | digit;
    }
    return static_cast<std::int32_t>(value);
  }
  bool negative = false;
  if (!text.empty() && (text[0] == u'-' || text[0] == u'+')) {
    negative = text[0] == u'-';
    text.remove_prefix(1);
  }
  if (text.empty())
    return std::nullopt;
  std::int64_t value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9')
      return std::nullopt;
    value = value * 10 + (c - u'0');
    if (value > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1)
      return std::nullopt;
  }
  if (negative)
    value = -value;
  if (value > std::numeric_limits<std::int32_t>::max())
    return std::nullopt;
  return static_cast<std::int32_t>(value);
}

// The bytes that store `value` as `type`, or nothing when it cannot be stored so.
std::optional<std::vector<std::byte>> Encode(RegType type, std::u16string_view value) {
  std::vector<std::byte> data;
  switch (type) {
    case kRegSz:
    case kRegMultiSz:
      data.reserve((value.size() + 1) * 2);
      for (char16_t c : value)
        AppendUtf16(data, c);
      AppendUtf16(data, u'\0');
      return data;
    case kRegBinary:
      for (char16_t c : value) {
        if (c > 0xFF)
          return std::nullopt;
        data.push_back(static_cast<std::byte>(c));
      }
      return data;
    case kRegDword: {
      auto number = ParseInt32(value);
      if (!number)
        return std::nullopt;
      auto bits = static_cast<std::uint32_t>(*number);
      for (int i = 0; i < 4; ++i)
        data.push_back(static_cast<std::byte>((bits >> (8 * i)) & 0xFF));
      return data;
    }
    default:
      return std::nullopt;
  }
}

bool IsWritableType(RegType type) {
  return IsTextType(type) || type == kRegBinary || type == kRegDword;
}

}  // namespace

RegRead GetKeyDataValue(RegistryOps& ops, RegKey RegKeyRoot, std::u16string_view RegKeyName,
                        RegType& KeyDateType, std::u16string_view KeyValueName) {
  RegRead result;
  OpenedKey key(ops);
  if (RegStatus status = key.Open(RegKeyRoot, RegKeyName); status != kErrorSuccess) {
    result.outcome = OutcomeOf(status, true);
    result.status = ErrorOf(ops, status);
    return result;
  }

  // The buffer is made exactly as large as the value: where there is room to spare, some
  // registries add a terminator to a string stored without one, and count it.
  RegType type = kRegNone;
  std::uint32_t size = 0;
  RegStatus status = ops.QueryValue(key.get(), KeyValueName, type, nullptr, size);
  if (status == kErrorSuccess)
    status = kErrorMoreData;
  std::vector<std::byte> buffer(size);
  for (int attempt = 0; attempt < kMaxReadAttempts && status == kErrorMoreData; ++attempt) {
    size = static_cast<std::uint32_t>(buffer.size());
    status = ops.QueryValue(key.get(), KeyValueName, type, buffer.data(), size);
    if (status == kErrorMoreData) {
      buffer.resize(std::max<std::size_t>(size, buffer.size() * 2));
    }
  }
  if (status != kErrorSuccess) {
    result.outcome = OutcomeOf(status, false);
    result.status = ErrorOf(ops, status);
    return result;
  }
  buffer.resize(std::min<std::size_t>(size, buffer.size()));
  KeyDateType = type;
  result.type = type;
  result.bytes = buffer;

  if (!IsWritableType(type)) {
    result.outcome = ReadOutcome::kUnsupportedType;
    return result;
  }
  result.text = ValueText(type, buffer);
  result.outcome = ReadOutcome::kRead;
  return result;
}

RegWrite SetKeyDataValue(RegistryOps& ops, RegKey RegKeyRoot, std::u16string_view RegKeyName,
                         RegType KeyDateType, std::u16string_view KeyValueName,
                         std::u16string_view KeyDataValue) {
  if (!IsWritableType(KeyDateType)) {
    return {WriteOutcome::kUnsupportedType, {}};
  }
  auto data = ValueBytes(KeyDateType, KeyDataValue);
  if (!data) {
    return {WriteOutcome::kInvalidValue, {}};
  }
  return SetKeyDataBytes(ops, RegKeyRoot, RegKeyName, KeyDateType, KeyValueName, *data);
}

RegWrite SetKeyDataBytes(RegistryOps& ops, RegKey RegKeyRoot, std::u16string_view RegKeyName,
                         RegType KeyDateType, std::u16string_view KeyValueName,
                         std::span<const std::byte> bytes) {
  OpenedKey key(ops);
  if (key.Open(RegKeyRoot, RegKeyName) != kErrorSuccess) {
    if (RegStatus status = key.Create(RegKeyRoot, RegKeyName); status != kErrorSuccess) {
      return {WriteOutcome::kOpenFailed, ErrorOf(ops, status)};
    }
  }
  RegStatus status = SetValueExactly(ops, key.get(), KeyValueName, KeyDateType, bytes);
  if (status != kErrorSuccess) {
    return {WriteOutcome::kSetFailed, ErrorOf(ops, status)};
  }
  return {WriteOutcome::kStored, {}};
}

RegStatus SetValueExactly(RegistryOps& ops, RegKey key, std::u16string_view name, RegType type,
                          std::span<const std::byte> bytes) {
  std::vector<std::byte> guarded(bytes.begin(), bytes.end());
  guarded.insert(guarded.end(), {std::byte{0xFF}, std::byte{0xFF}});
  return ops.SetValue(key, name, type, guarded.data(), static_cast<std::uint32_t>(bytes.size()));
}

std::u16string ValueText(RegType type, std::span<const std::byte> bytes) {
  if (!IsWritableType(type))
    return {};
  std::u16string text = IsTextType(type) ? DecodeUtf16Le(bytes) : DecodeBytes(bytes);
  if (type == kRegSz) {
    // A string ends at its first NUL for every reader; what follows is not part of it.
    text.resize(std::min(text.find(u'\0'), text.size()));
  } else if (!text.empty() && text.back() == u'\0') {
    text.pop_back();
  }
  return type == kRegDword ? DwordDigits(text) : text;
}

std::optional<std::vector<std::byte>> ValueBytes(RegType type, std::u16string_view text) {
  return Encode(type, text);
}

SystemError FlushRegKey(RegistryOps& ops, RegKey RegKeyRoot, std::u16string_view RegKeyName) {
  OpenedKey key(ops);
  RegStatus status = key.Open(RegKeyRoot, RegKeyName);
  if (status == kErrorSuccess)
    status = ops.FlushKey(key.get());
  return status == kErrorSuccess ? SystemError() : ErrorOf(ops, status);
}

RegStatus DeleteRegValue(RegistryOps& ops, RegKey RegKeyRoot, std::u16string_view RegKeyName,
                         std::u16string_view KeyValueName) {
  OpenedKey key(ops);
  if (RegStatus status = key.Open(RegKeyRoot, RegKeyName); status != kErrorSuccess) {
    return status;
  }
  return ops.DeleteValue(key.get(), KeyValueName);
}

RegStatus DeleteRegKey(RegistryOps& ops, RegKey RegKeyRoot, std::u16string_view RegKeyName) {
  return ops.DeleteKey(RegKeyRoot, RegKeyName);
}

}  // namespace tarnwick
