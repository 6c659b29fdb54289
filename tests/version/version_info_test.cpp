#include "version/version_info.h"

#include <gtest/gtest.h>

#include "fake_version_info.h"
#include "memory_registry.h"

namespace tarnwick::testing {
namespace {

using namespace std::string_view_literals;

constexpr std::u16string_view kPath = u"C:\\Windows\\system32\\mstsc.exe";
constexpr std::u16string_view kTranslation = u"\\VarFileInfo\\Translation";
constexpr std::u16string_view kWin7Sp1 = u"6.1.7601.17514 (win7sp1_rtm.101119-1850)";

struct KeyCase {
  const char* name;
  std::vector<std::byte> translation;
  std::u16string_view key;
};

class TranslationKey : public ::testing::TestWithParam<KeyCase> {};

TEST_P(TranslationKey, FileVersionIsLookedUpUnderTheFirstTranslation) {
  FakeVersionInfo api;
  FakeVersionFile& file = api.File(kPath);
  file.subBlocks[std::u16string(kTranslation)] = GetParam().translation;
  file.subBlocks[FileVersionBlock(GetParam().key)] = SzBytes(kWin7Sp1);

  EXPECT_EQ(GetFileVersion(api, kPath), kWin7Sp1);
  ASSERT_EQ(api.subBlockQueries.size(), 2u);
  EXPECT_EQ(api.subBlockQueries[0], kTranslation);
  EXPECT_EQ(api.subBlockQueries[1], FileVersionBlock(GetParam().key));
}

std::vector<std::byte> LongTable() {
  std::vector<std::byte> table = TranslationBytes({{0x0409, 0x04B0}});
  table.resize(300, std::byte{0x7F});
  return table;
}

INSTANTIATE_TEST_SUITE_P(
    Keys, TranslationKey,
    ::testing::Values(
        KeyCase{"UsEnglishUnicode", TranslationBytes({{0x0409, 0x04B0}}), u"040904B0"},
        KeyCase{"LeadingZerosKept", TranslationBytes({{0x0007, 0x04E4}}), u"000704E4"},
        KeyCase{"CodePageWithHighBit", TranslationBytes({{0x0409, 0xFDE9}}), u"0409FDE9"},
        KeyCase{"LanguageWithHighBit", TranslationBytes({{0x8409, 0x04B0}}), u"840904B0"},
        KeyCase{"AllBitsSet", TranslationBytes({{0xFFFF, 0xFFFF}}), u"FFFFFFFF"},
        KeyCase{"OnlyTheFirstOfSeveral", TranslationBytes({{0x0409, 0x04B0}, {0x0407, 0x04E4}}),
                u"040904B0"},
        KeyCase{"TableLongerThanAnyBuffer", LongTable(), u"040904B0"},
        KeyCase{"TableShorterThanOneEntry", RawBytes({0x09, 0x04}), u"04090000"},
        KeyCase{"EmptyTable", {}, u"00000000"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FileVersion, StringOnlyUnderALaterTranslationIsNotFound) {
  FakeVersionInfo api;
  FakeVersionFile& file = api.File(kPath);
  file.subBlocks[std::u16string(kTranslation)] =
      TranslationBytes({{0x0409, 0x04B0}, {0x0407, 0x04B0}});
  file.subBlocks[FileVersionBlock(u"040704B0")] = SzBytes(kWin7Sp1);
  EXPECT_EQ(GetFileVersion(api, kPath), u"?");
}

struct TextCase {
  const char* name;
  std::vector<std::byte> value;
  std::u16string expected;
};

class FileVersionText : public ::testing::TestWithParam<TextCase> {};

TEST_P(FileVersionText, IsTheStringUpToItsFirstNul) {
  FakeVersionInfo api;
  FakeVersionFile& file = api.File(kPath);
  file.subBlocks[std::u16string(kTranslation)] = TranslationBytes({{0x0409, 0x04B0}});
  file.subBlocks[FileVersionBlock(u"040904B0")] = GetParam().value;
  EXPECT_EQ(GetFileVersion(api, kPath), GetParam().expected);
}

const std::u16string kLong = u"6.1.7601." + std::u16string(300, u'7');

std::vector<std::byte> OddLength() {
  std::vector<std::byte> bytes = Utf16Bytes(u"6.0");
  bytes.push_back(std::byte{'1'});
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FileVersionText,
    ::testing::Values(TextCase{"WithTerminator", SzBytes(kWin7Sp1), std::u16string(kWin7Sp1)},
                      TextCase{"WithoutTerminator", Utf16Bytes(kWin7Sp1), std::u16string(kWin7Sp1)},
                      TextCase{"BytesAfterTheNulIgnored", Utf16Bytes(u"6.1\0junk"sv), u"6.1"},
                      TextCase{"LongerThan255Characters", Utf16Bytes(kLong), kLong},
                      TextCase{"LongerThan255WithTerminator", SzBytes(kLong), kLong},
                      TextCase{"HalfCharacterAtTheEndIgnored", OddLength(), u"6.0"},
                      TextCase{"Empty", {}, u""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FileVersion, EveryFailureIsAQuestionMark) {
  FakeVersionInfo api;
  api.File(u"no-translation").subBlocks[FileVersionBlock(u"040904B0")] = SzBytes(u"1.0");
  api.File(u"no-string").subBlocks[std::u16string(kTranslation)] =
      TranslationBytes({{0x0409, 0x04B0}});
  api.File(u"no-size").size = 0;
  for (auto name : {u"unreadable", u"throws"}) {
    FakeVersionFile& file = api.File(name);
    file.subBlocks[std::u16string(kTranslation)] = TranslationBytes({{0x0409, 0x04B0}});
    file.subBlocks[FileVersionBlock(u"040904B0")] = SzBytes(u"1.0");
  }
  api.File(u"unreadable").readFails = true;
  api.File(u"throws").readThrows = true;

  for (auto path : {u"missing"sv, u"no-size"sv, u"unreadable"sv, u"throws"sv, u"no-translation"sv,
                    u"no-string"sv}) {
    SCOPED_TRACE(std::string(path.begin(), path.end()));
    EXPECT_EQ(GetFileVersion(api, path), u"?");
  }
}

TEST(ReadVersionInfo, FillsOnlyTheFileVersionAndEmptiesItFirst) {
  FakeVersionInfo api;
  FakeVersionFile& file = api.File(kPath);
  file.size = 1234;
  file.subBlocks[std::u16string(kTranslation)] = TranslationBytes({{0x0409, 0x04B0}});
  file.subBlocks[FileVersionBlock(u"040904B0")] = SzBytes(kWin7Sp1);

  FileVersionRecord record;
  record.FileVersion = u"stale";
  EXPECT_TRUE(ReadVersionInfo(api, kPath, record));
  EXPECT_EQ(record.FileVersion, kWin7Sp1);
  EXPECT_EQ(record.Comments, u"");
  EXPECT_EQ(record.ProductVersion, u"");

  record.FileVersion = u"stale";
  EXPECT_FALSE(ReadVersionInfo(api, u"missing", record));
  EXPECT_EQ(record.FileVersion, u"");
}

}  // namespace
}  // namespace tarnwick::testing
