#include "backup/reg_file.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tarnwick {
namespace {

bool Same(const std::vector<RegFileValue>& a, const std::vector<RegFileValue>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
    return x.keyPath == y.keyPath && x.valueName == y.valueName && x.type == y.type &&
           x.bytes == y.bytes;
  });
}

TEST(RegFile, WhatItWritesReadsBackExactly) {
  std::vector<std::byte> long_(300);
  for (std::size_t i = 0; i < long_.size(); ++i)
    long_[i] = static_cast<std::byte>(i);
  const std::vector<std::vector<RegFileValue>> files = {
      {{u"SYSTEM\\A", u"Security Packages", 7, long_}},
      {{u"SYSTEM\\A", u"x", 1, {}}, {u"SYSTEM\\B", u"with \"quotes\" and \\", 3, {std::byte{1}}}},
      {{u"SYSTEM\\A", u"big type", 0x12345678, {std::byte{0xAB}, std::byte{0}}}},
  };
  for (const auto& values : files) {
    const auto read = ParseRegFile(RegFileBytes(RegFileText(values)));
    ASSERT_TRUE(read);
    EXPECT_TRUE(Same(*read, values));
  }
}

TEST(RegFile, RegeditsOwnLayoutIsNotOurs) {
  // What regedit itself exports for a string: the same value, another form.
  const std::u16string exported =
      u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SYSTEM\\A]\r\n"
      u"\"x\"=\"credssp.dll\"\r\n";
  EXPECT_FALSE(ParseRegFile(RegFileBytes(exported)));
  EXPECT_TRUE(ParseRegFile(RegFileBytes(u"Windows Registry Editor Version 5.00\r\n")));
}

TEST(RegFile, AFileCutShortOrMalformedIsRefused) {
  const std::u16string section =
      u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SYSTEM\\A]\r\n\"";
  for (const std::u16string& text : {
           section + u"x\\",  // a name's escape at the very end of the file
           section + u"x\\\"", section,
           section + u"x\"=hex(7):6B,00,00,00\r\n",  // upper case, which the writer never writes
       }) {
    SCOPED_TRACE(std::string(text.begin() + section.size(), text.end()));
    EXPECT_FALSE(ParseRegFile(RegFileBytes(text)));
  }
  EXPECT_TRUE(ParseRegFile(RegFileBytes(section + u"x\"=hex(7):6b,00,00,00\r\n")));
}

}  // namespace
}  // namespace tarnwick
