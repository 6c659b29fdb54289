#include "backup/backup_names.h"

#include <gtest/gtest.h>

namespace tarnwick::testing {
namespace {

TEST(BackupNames, NamesCarryKindSequenceAndStamp) {
  const BackupStamp stamp{2026, 1, 8, 9, 3, 2};
  EXPECT_EQ(BackupFileName(BackupKind::kUpdate, 1, stamp),
            u"registry-000001-2026-01-08_090302.reg");
  EXPECT_EQ(BackupFileName(BackupKind::kBeforeUndo, 1234567, stamp),
            u"before-undo-1234567-2026-01-08_090302.reg");
  for (std::uint32_t sequence : {1u, 42u, 999999u, 1000000u, kMaxBackupSequence}) {
    const auto parsed = ParseBackupFileName(BackupKind::kUpdate,
                                            BackupFileName(BackupKind::kUpdate, sequence, stamp));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(*parsed, (BackupName{sequence, stamp, 1}));
  }
  EXPECT_EQ(ParseBackupFileName(BackupKind::kUpdate, u"registry-2026-12-08_193012-12.reg"),
            (BackupName{0, {2026, 12, 8, 19, 30, 12}, 12}))
      << "the earlier form, without a sequence number";
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
           u"registry-000000-2026-12-08_193012.reg",  // sequences start at 1
           u"registry-00001-2026-12-08_193012.reg",   // fewer than six digits
           u"registry-0000001-2026-12-08_193012.reg",
           u"registry-1000000000-2026-12-08_193012.reg",
           u"registry-000001-2026-12-08_193012-2.reg",
           u"registry-000001_2026-12-08_193012.reg",
           u"registry-000001-.reg",
           u"registry-00000a-2026-12-08_193012.reg",
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
  // A sequence number decides, whatever the clock said; the earlier form comes first.
  EXPECT_LT(name(u"registry-2027-01-01_000000.reg"),
            name(u"registry-000001-2026-01-01_000000.reg"));
  EXPECT_LT(name(u"registry-000009-2026-12-08_193012.reg"),
            name(u"registry-000010-2026-12-08_163012.reg"));
}

}  // namespace
}  // namespace tarnwick::testing
