#include "registry_contract.h"

#include <algorithm>

#include "platform/registry.h"

namespace tarnwick::testing {

void RegistryContract::SetUp() {
  ops_ = GetParam().make();
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string test = info->name();
  test = test.substr(0, test.find('/'));
  base_ = u"Software\\TarnwickContract\\" + std::u16string(test.begin(), test.end());
  RegKey key = kNoKey;
  ASSERT_EQ(ops_->CreateKey(kHkeyCurrentUser, base_, key), kErrorSuccess);
  ops_->CloseKey(key);
}

void RegistryContract::TearDown() {
  // Deepest first: a key with sub-keys cannot be deleted.
  std::sort(created_.begin(), created_.end(),
            [](const auto& a, const auto& b) { return a.size() > b.size(); });
  for (const auto& path : created_)
    ops_->DeleteKey(kHkeyCurrentUser, path);
  ops_->DeleteKey(kHkeyCurrentUser, base_);
  ops_->DeleteKey(kHkeyCurrentUser, u"Software\\TarnwickContract");
}

std::u16string RegistryContract::Scratch(std::u16string_view sub) {
  if (sub.empty())
    return base_;
  std::u16string path = base_;
  for (std::size_t start = 0; start < sub.size();) {
    std::size_t end = std::min(sub.find(u'\\', start), sub.size());
    path += u"\\" + std::u16string(sub.substr(start, end - start));
    if (std::find(created_.begin(), created_.end(), path) == created_.end()) {
      created_.push_back(path);
    }
    start = end + 1;
  }
  return path;
}

void RegistryContract::Seed(std::u16string_view sub, std::u16string_view name, RegType type,
                            const std::vector<std::byte>& bytes) {
  RegKey key = kNoKey;
  ASSERT_EQ(ops_->CreateKey(kHkeyCurrentUser, Scratch(sub), key), kErrorSuccess);
  EXPECT_EQ(SetValueExactly(*ops_, key, name, type, bytes), kErrorSuccess);
  ops_->CloseKey(key);
}

std::optional<StoredValue> RegistryContract::Stored(std::u16string_view sub,
                                                    std::u16string_view name) {
  RegKey key = kNoKey;
  if (ops_->OpenKey(kHkeyCurrentUser, Scratch(sub), 0, kKeyAccessMask, key) != kErrorSuccess) {
    return std::nullopt;
  }
  StoredValue value;
  std::uint32_t size = 0;
  std::byte probe{};
  SystemError status = ops_->QueryValue(key, name, value.type, &probe, size);
  if (status == kErrorMoreData || status == kErrorSuccess) {
    value.bytes.resize(size);
    status = ops_->QueryValue(key, name, value.type, value.bytes.data(), size);
  }
  ops_->CloseKey(key);
  if (status != kErrorSuccess)
    return std::nullopt;
  return value;
}

std::string BackendName(const ::testing::TestParamInfo<RegistryBackend>& info) {
  return info.param.name;
}

namespace {

TEST_P(RegistryContract, OperationsReportWindowsStatusCodes) {
  RegKey key = kNoKey;
  EXPECT_EQ(ops_->OpenKey(kHkeyCurrentUser, Scratch(u"absent"), 0, kKeyAccessMask, key),
            kErrorFileNotFound);
  EXPECT_EQ(key, kNoKey);

  ASSERT_EQ(ops_->CreateKey(kHkeyCurrentUser, Scratch(u"made\\deeper"), key), kErrorSuccess);
  RegType type = kRegNone;
  std::byte buffer[4];
  std::uint32_t size = sizeof buffer;
  EXPECT_EQ(ops_->QueryValue(key, u"nothing", type, buffer, size), kErrorFileNotFound);
  EXPECT_EQ(ops_->DeleteValue(key, u"nothing"), kErrorFileNotFound);

  const auto bytes = SzBytes(u"longer than four bytes");
  ASSERT_EQ(ops_->SetValue(key, u"v", kRegSz, bytes.data(), bytes.size()), kErrorSuccess);
  size = sizeof buffer;
  EXPECT_EQ(ops_->QueryValue(key, u"v", type, buffer, size), kErrorMoreData);
  EXPECT_EQ(size, bytes.size());
  EXPECT_EQ(ops_->CloseKey(key), kErrorSuccess);

  EXPECT_EQ(ops_->DeleteKey(kHkeyCurrentUser, Scratch(u"made")), kErrorAccessDenied)
      << "a key with sub-keys is not deleted";
  EXPECT_EQ(ops_->DeleteKey(kHkeyCurrentUser, Scratch(u"made\\deeper")), kErrorSuccess);
  EXPECT_EQ(ops_->DeleteKey(kHkeyCurrentUser, Scratch(u"made\\deeper")), kErrorFileNotFound);
}

struct ReadCase {
  const char* label;
  RegType type;
  std::vector<std::byte> bytes;
  std::u16string text;
};

TEST_P(RegistryContract, ReadsEachHandledTypeWithOneTrailingNulRemoved) {
  const std::vector<ReadCase> cases = {
      {"sz", kRegSz, SzBytes(u"abc"), u"abc"},
      {"sz without terminator", kRegSz, Utf16Bytes(u"abc"), u"abc"},
      {"empty sz", kRegSz, {}, u""},
      {"sz with two NULs", kRegSz, Utf16Bytes(std::u16string(u"abc\0\0", 5)), u"abc"},
      {"sz with leftovers after its NUL", kRegSz, Utf16Bytes(std::u16string(u"a.dll\0old\0", 10)),
       u"a.dll"},
      {"sz that starts with NUL", kRegSz, Utf16Bytes(std::u16string(u"\0x.dll\0", 7)), u""},
      {"multi", kRegMultiSz, MultiSzBytes({u"a", u"b"}), std::u16string(u"a\0b\0", 4)},
      {"binary ending in zero", kRegBinary, RawBytes({1, 2, 0}), u"\x01\x02"},
      {"binary with inner zero", kRegBinary, RawBytes({1, 0, 2}), std::u16string(u"\x01\0\x02", 3)},
      {"dword", kRegDword, RawBytes({0x78, 0x56, 0x34, 0x12}), u"&h12345678"},
      {"dword 256", kRegDword, RawBytes({0, 1, 0, 0}), u"&h000100"},
      {"dword 0", kRegDword, RawBytes({0, 0, 0, 0}), u"&h000000"},
      {"dword with letter bytes", kRegDword, RawBytes({0x0A, 0x0B, 0x0C, 0x0D}), u"&h0D0C0B0A"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    Seed({}, u"value", c.type, c.bytes);
    RegType type = kRegMultiSz;
    RegRead read = GetKeyDataValue(*ops_, kHkeyCurrentUser, Scratch(), type, u"value");
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read.text, c.text);
    EXPECT_EQ(read.bytes, c.bytes) << "the stored bytes come along untouched";
    EXPECT_EQ(type, c.type) << "the caller's type variable receives the stored type";
  }
}

TEST_P(RegistryContract, ReadsTextBeyondTheCodePageAndOfAnySize) {
  const std::u16string unicode = u"\u03A9mega-\u4E2D\u6587-\U0001F512";
  Seed({}, u"unicode", kRegMultiSz, MultiSzBytes({u"kerberos", unicode}));
  const std::u16string big(5000, u'x');
  Seed({}, u"big", kRegSz, SzBytes(big));

  RegType type = kRegMultiSz;
  RegRead read = GetKeyDataValue(*ops_, kHkeyCurrentUser, Scratch(), type, u"unicode");
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read.text, u"kerberos" + std::u16string(1, u'\0') + unicode + u'\0');

  read = GetKeyDataValue(*ops_, kHkeyCurrentUser, Scratch(), type, u"big");
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read.text, big);
}

TEST_P(RegistryContract, FailedReadsSayWhy) {
  Seed({}, u"expand", kRegExpandSz, SzBytes(u"%SystemRoot%"));
  RegType type = kRegSz;
  RegRead read = GetKeyDataValue(*ops_, kHkeyCurrentUser, Scratch(u"absent"), type, u"v");
  EXPECT_TRUE(read.Missing() && read.atKey);
  EXPECT_EQ(read.error, kErrorFileNotFound);
  EXPECT_EQ(type, kRegSz) << "no type was reported";

  read = GetKeyDataValue(*ops_, kHkeyCurrentUser, Scratch(), type, u"absent");
  EXPECT_TRUE(read.Missing() && !read.atKey);

  read = GetKeyDataValue(*ops_, kHkeyCurrentUser, Scratch(), type, u"expand");
  EXPECT_EQ(read.error, kErrorUnsupportedType);
  EXPECT_EQ(read.type, kRegExpandSz);
  EXPECT_TRUE(read.text.empty());
}

struct WriteCase {
  const char* label;
  RegType type;
  std::u16string text;
  std::vector<std::byte> stored;
};

TEST_P(RegistryContract, WritesTheBytesOfEachType) {
  const std::vector<WriteCase> cases = {
      {"sz", kRegSz, u"abc", SzBytes(u"abc")},
      {"multi", kRegMultiSz, std::u16string(u"a\0b\0", 4), MultiSzBytes({u"a", u"b"})},
      {"binary", kRegBinary, u"\x01\x02", RawBytes({1, 2})},
      {"dword decimal", kRegDword, u"256", RawBytes({0, 1, 0, 0})},
      {"dword negative", kRegDword, u"-2", RawBytes({0xFE, 0xFF, 0xFF, 0xFF})},
      {"dword hex as read", kRegDword, u"&h000100", RawBytes({0, 1, 0, 0})},
      {"dword lowest", kRegDword, u" -2147483648 ", RawBytes({0, 0, 0, 0x80})},
      {"dword hex all ones", kRegDword, u"&HFFFFFFFF", RawBytes({0xFF, 0xFF, 0xFF, 0xFF})},
      {"unicode", kRegSz, u"\u00E9t\u00E9 \u4E2D", SzBytes(u"\u00E9t\u00E9 \u4E2D")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    RegResult write = SetKeyDataValue(*ops_, kHkeyCurrentUser, Scratch(), c.type, u"v", c.text);
    EXPECT_TRUE(write.ok());
    auto stored = Stored({}, u"v");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->type, c.type);
    EXPECT_EQ(stored->bytes, c.stored);
  }
}

TEST_P(RegistryContract, WriteCreatesAMissingKey) {
  RegResult write =
      SetKeyDataValue(*ops_, kHkeyCurrentUser, Scratch(u"new\\key"), kRegSz, u"v", u"made");
  EXPECT_TRUE(write.ok());
  auto stored = Stored(u"new\\key", u"v");
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->bytes, SzBytes(u"made"));
}

TEST_P(RegistryContract, WritesThatCannotBeStoredLeaveTheStoreAlone) {
  Seed({}, u"v", kRegSz, SzBytes(u"before"));
  struct Case {
    RegType type;
    std::u16string text;
    std::uint32_t error;
  };
  for (const Case& c : {Case{kRegExpandSz, u"x", kErrorUnsupportedType},
                        Case{kRegDword, u"twelve", kErrorInvalidData},
                        Case{kRegDword, u"4294967296", kErrorInvalidData},
                        Case{kRegDword, u"2147483648", kErrorInvalidData},
                        Case{kRegDword, u"&h0FFFFFFFF", kErrorInvalidData},
                        Case{kRegDword, u"+-5", kErrorInvalidData},
                        Case{kRegBinary, u"\u0100", kErrorInvalidData}}) {
    EXPECT_EQ(SetKeyDataValue(*ops_, kHkeyCurrentUser, Scratch(), c.type, u"v", c.text).error,
              c.error);
    auto stored = Stored({}, u"v");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->bytes, SzBytes(u"before"));
  }
  EXPECT_EQ(
      SetKeyDataValue(*ops_, kHkeyCurrentUser, Scratch(u"never"), kRegExpandSz, u"v", u"x").error,
      kErrorUnsupportedType);
  RegKey key = kNoKey;
  EXPECT_EQ(ops_->OpenKey(kHkeyCurrentUser, Scratch(u"never"), 0, kKeyAccessMask, key),
            kErrorFileNotFound);
}

TEST_P(RegistryContract, DeletesAValueThatIsThere) {
  Seed(u"child", u"v", kRegSz, SzBytes(u"x"));
  RegKey key = kNoKey;
  ASSERT_EQ(ops_->OpenKey(kHkeyCurrentUser, Scratch(u"child"), 0, kKeyAccessMask, key),
            kErrorSuccess);
  EXPECT_EQ(ops_->DeleteValue(key, u"v"), kErrorSuccess);
  EXPECT_EQ(ops_->CloseKey(key), kErrorSuccess);
  EXPECT_FALSE(Stored(u"child", u"v"));
}

}  // namespace
}  // namespace tarnwick::testing
