#include "version_info_contract.h"

#include <cstring>
#include <optional>

namespace tarnwick::testing {

std::vector<std::byte> VersionInfoContract::Block(std::u16string_view name) {
  std::vector<std::byte> block(api_->GetFileVersionInfoSize(Fixture(name)));
  EXPECT_FALSE(block.empty());
  EXPECT_TRUE(api_->GetFileVersionInfo(Fixture(name), block));
  return block;
}

namespace {

bool Inside(std::span<const std::byte> part, const std::vector<std::byte>& block) {
  return part.data() >= block.data() && part.data() + part.size() <= block.data() + block.size();
}

// A file without a version resource, or no file at all, has no version information; a path is
// never read only up to a NUL in it, which would name another file.
TEST_P(VersionInfoContract, WhatHasNoVersionResourceHasNoVersionInformation) {
  std::vector<std::byte> block(256);
  for (const std::u16string& path : {Fixture(u"no_version.dll"), Fixture(u"missing.dll"),
                                     Fixture(u"en_us.dll") + u'\0' + u".txt"}) {
    EXPECT_EQ(api_->GetFileVersionInfoSize(path), 0u);
    EXPECT_FALSE(api_->GetFileVersionInfo(path, block));
  }
}

// The translation table has four bytes for each language and code page, each 16-bit
// little-endian; "\" is the VS_FIXEDFILEINFO, which begins with its signature 0xFEEF04BD.
TEST_P(VersionInfoContract, BinaryValuesAreMeasuredInBytesInsideTheBlock) {
  const struct {
    std::u16string_view file;
    std::vector<unsigned> translation;
  } rows[] = {{u"en_us.dll", {0x09, 0x04, 0xB0, 0x04}},
              {u"two_translations.dll", {0x09, 0x04, 0xB0, 0x04, 0x07, 0x04, 0xB0, 0x04}}};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.file.begin(), row.file.end()));
    const std::vector<std::byte> block = Block(row.file);
    const auto translation = api_->VerQueryValue(block, u"\\VarFileInfo\\Translation");
    ASSERT_TRUE(translation);
    EXPECT_TRUE(Inside(*translation, block));
    std::vector<unsigned> bytes;
    for (std::byte b : *translation)
      bytes.push_back(std::to_integer<unsigned>(b));
    EXPECT_EQ(bytes, row.translation);
    const auto fixed = api_->VerQueryValue(block, u"\\");
    ASSERT_TRUE(fixed);
    ASSERT_EQ(fixed->size(), 52u);
    EXPECT_EQ(std::to_integer<unsigned>((*fixed)[0]), 0xBDu);
    EXPECT_EQ(std::to_integer<unsigned>((*fixed)[3]), 0xFEu);
  }
}

// A string value is its UTF-16 characters, with or without the terminator; names are matched in
// any case; a value that the file does not have is nothing.
TEST_P(VersionInfoContract, StringValuesAreTheirCharactersInsideTheBlock) {
  const std::u16string longVersion = LongFixtureVersion();
  const struct {
    std::u16string_view file;
    std::u16string_view name;
    std::optional<std::u16string_view> text;
  } rows[] = {
      {u"en_us.dll", u"\\StringFileInfo\\040904B0\\FileVersion", kFixtureVersion},
      {u"en_us.dll", u"\\stringfileinfo\\040904b0\\FILEVERSION", kFixtureVersion},
      {u"en_us.dll", u"\\StringFileInfo\\040904B0\\Comments", std::nullopt},
      {u"two_translations.dll", u"\\StringFileInfo\\040704B0\\FileVersion", kFixtureVersion},
      {u"two_translations.dll", u"\\StringFileInfo\\040904B0\\ProductName", u"Tarnwick"},
      {u"two_translations.dll", u"\\StringFileInfo\\040904B0\\FileVersion", std::nullopt},
      {u"long_version.dll", u"\\StringFileInfo\\040904B0\\FileVersion", longVersion},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.name.begin(), row.name.end()));
    const std::vector<std::byte> block = Block(row.file);
    const auto value = api_->VerQueryValue(block, row.name);
    ASSERT_EQ(value.has_value(), row.text.has_value());
    if (!value)
      continue;
    EXPECT_TRUE(Inside(*value, block));
    EXPECT_GE(value->size(), 2 * row.text->size());
    EXPECT_LE(value->size(), 2 * row.text->size() + 2);
    EXPECT_EQ(std::memcmp(value->data(), row.text->data(), 2 * row.text->size()), 0);
  }
}

TEST_P(VersionInfoContract, AValueReachingPastTheBlockIsCutAtItsEnd) {
  const std::vector<std::byte> block = Block(u"long_version.dll");
  constexpr std::u16string_view kName = u"\\StringFileInfo\\040904B0\\FileVersion";
  const auto whole = api_->VerQueryValue(block, kName);
  ASSERT_TRUE(whole);
  ASSERT_GE(whole->size(), 600u);
  // The same data seen as a shorter block.
  const auto offset = static_cast<std::size_t>(whole->data() - block.data());
  const auto cut = api_->VerQueryValue(std::span(block.data(), offset + 10), kName);
  ASSERT_TRUE(cut);
  EXPECT_EQ(cut->data(), whole->data());
  EXPECT_EQ(cut->size(), 10u);
}

}  // namespace
}  // namespace tarnwick::testing
