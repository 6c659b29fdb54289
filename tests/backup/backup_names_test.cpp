#include "backup/backup_names.h"

#include <gtest/gtest.h>

namespace tarnwick::testing {
namespace {

TEST(BackupNames, NamesCarryKindStampAndANumberFromTwoOn) {
  const BackupStamp stamp{2026, 1, 8, 9, 3, 2};
  EXPECT_EQ(BackupFileName(BackupKind::kUpdate, stamp, 1), u"registry-2026-01-08_090302.reg");
  EXPECT_EQ(BackupFileName(BackupKind::kUpdate, stamp, 12), u"registry-2026-01-08_090302-12.reg");
  EXPECT_EQ(BackupFileName(BackupKind::kBeforeUndo, stamp, 2),
            u"before-undo-2026-01-08_090302-2.reg");
  for (int number : {1, 2, 999}) {
    const auto parsed = ParseBackupFileName(BackupKind::kUpdate,
                                            BackupFileName(BackupKind::kUpdate, stamp, number));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(*parsed, (BackupName{stamp, number}));
  }
}

TEST(BackupNames, OnlyExactNamesOfTheKindAreRead) {
  for (const char16_t* name : {
           u"registry-2026-12-08_193012-1.reg",   // the first file has no number
           u"registry-2026-12-08_193012-02.reg",  // leading zero
           u"registry-2026-12-08_193012-.reg",
           u"registry-2026-12-08_193012-2x.reg",
           u"registry-2026-12-08_193012-9999999.reg",
           u"Registry-2026-12-08_193012.reg",
           u"registry-2026-12-08_193012.REG",
           u"registry-2026-12-08_193012.reg.new",
           u"registry-2026-13-08_193012.reg",
           u"registry-2026-12-32_193012.reg",
           u"registry-2026-12-08_243012.reg",
           u"registry-2026-12-08_196012.reg",
           u"registry-2026-12-08_1930120.reg",
           u"registry-2026-12-8_193012.reg",
           u"registry-2026-12-08 193012.reg",
           u"registry-+026-12-08_193012.reg",
           u"before-undo-2026-12-08_193012.reg",
           u"registry-.reg",
       }) {
    EXPECT_FALSE(ParseBackupFileName(BackupKind::kUpdate, name))
        << std::string(name, name + std::char_traits<char16_t>::length(name));
  }
  EXPECT_FALSE(ParseBackupFileName(BackupKind::kBeforeUndo, u"registry-2026-12-08_193012.reg"));
}

TEST(BackupNames, OrderIsByStampThenNumberNotByText) {
  auto name = [](const char16_t* text) {
    return ParseBackupFileName(BackupKind::kUpdate, text).value();
  };
  // As text, "-2.reg" sorts before ".reg" and "-10" before "-9".
  EXPECT_LT(name(u"registry-2026-12-08_193012.reg"), name(u"registry-2026-12-08_193012-2.reg"));
  EXPECT_LT(name(u"registry-2026-12-08_193012-9.reg"), name(u"registry-2026-12-08_193012-10.reg"));
  EXPECT_LT(name(u"registry-2026-12-08_193012-10.reg"), name(u"registry-2026-12-08_193013.reg"));
  EXPECT_LT(name(u"registry-2026-12-31_235959-5.reg"), name(u"registry-2027-01-01_000000.reg"));
}

}  // namespace
}  // namespace tarnwick::testing
