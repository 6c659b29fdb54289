#include "backup_folder_contract.h"

#include <algorithm>
#include <vector>

namespace tarnwick::testing {

void BackupFolderContract::SetUp() {
  world_ = GetParam().make();
  ops_ = &world_->ops();
  ASSERT_TRUE(ops_->BaseFolder(base_).ok());
}

std::string FolderBackendName(const ::testing::TestParamInfo<FolderBackend>& info) {
  return info.param.name;
}

namespace {

std::vector<std::byte> Bytes(std::string_view text) {
  const auto* data = reinterpret_cast<const std::byte*>(text.data());
  return {data, data + text.size()};
}

// What OpenEntry reports of `path`: Windows' code, and the facts of what it opened.
struct Entry {
  std::uint32_t status = 0;
  ItemFacts facts;
  std::unique_ptr<OpenItem> item;
};

Entry Look(BackupFolderOps& ops, std::u16string_view path) {
  Opened opened = ops.OpenEntry(path);
  Entry entry{opened.result.code, {}, std::move(opened.item)};
  if (entry.item != nullptr) {
    EXPECT_TRUE(entry.item->Facts(entry.facts).ok());
  }
  return entry;
}

// The file `path` opened to read and read up to `limit` bytes; nothing when it cannot be.
std::optional<std::vector<std::byte>> ReadBack(BackupFolderOps& ops, std::u16string_view path,
                                               std::size_t limit = 1 << 22) {
  Opened opened = ops.OpenFileToRead(path);
  std::vector<std::byte> contents;
  if (!opened.result.ok() || !opened.item->Read(limit, contents).ok())
    return std::nullopt;
  return contents;
}

bool Trusted(BackupFolderOps& ops, std::u16string_view path) {
  Entry entry = Look(ops, path);
  bool trusted = false;
  return entry.item != nullptr && entry.item->OwnerTrusted(trusted).ok() && trusted;
}

TEST_P(BackupFolderContract, TheBaseFolderIsAFolderOnAVolumeThatKeepsPermissions) {
  const Entry base = Look(*ops_, base_);
  EXPECT_EQ(base.status, 0u);
  EXPECT_TRUE(base.facts.folder);
  EXPECT_FALSE(base.facts.link);
  VolumePermissions kept{false, false};
  ASSERT_TRUE(ops_->Permissions(base_, kept).ok());
  EXPECT_TRUE(kept.base && kept.system) << "NTFS keeps them, and Wine's drives say they do";
}

// Windows' names are the same in any case of their letters, and a name is one thing's alone.
TEST_P(BackupFolderContract, AFolderIsMadeOnceAndEachEntryOpensAsWhatItIs) {
  ASSERT_TRUE(ops_->MakeFolder(At(u"Tarnwick")).ok());
  ASSERT_TRUE(ops_->WriteNewFile(At(u"Tarnwick\\file"), Bytes("x")).ok());
  const struct {
    std::u16string_view name;
    std::uint32_t made;  // MakeFolder's code
    std::uint32_t opened;
    bool folder;
  } rows[] = {
      {u"Tarnwick", kErrorAlreadyExists, 0, true},
      {u"TARNWICK", kErrorAlreadyExists, 0, true},
      {u"tarnwick\\FILE", kErrorAlreadyExists, 0, false},
      {u"Tarnwick\\missing", 0, kErrorFileNotFound, false},
      {u"missing\\Backups", kErrorPathNotFound, kErrorPathNotFound, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.name.begin(), row.name.end()));
    const Entry before = Look(*ops_, At(row.name));
    EXPECT_EQ(before.status, row.opened);
    EXPECT_EQ(before.facts.folder, row.folder);
    EXPECT_FALSE(before.facts.link);
    EXPECT_EQ(ops_->MakeFolder(At(row.name)).code, row.made);
  }
  EXPECT_TRUE(Look(*ops_, At(u"Tarnwick\\missing")).facts.folder) << "made by the last rows";
}

TEST_P(BackupFolderContract, ListingGivesTheNamesOfTheFilesInTheFolderAlone) {
  for (const char16_t* folder : {u"Tarnwick", u"Tarnwick\\Backups", u"Empty"})
    ASSERT_TRUE(ops_->MakeFolder(At(folder)).ok());
  for (const char16_t* file : {u"Tarnwick\\b.reg", u"Tarnwick\\a", u"Tarnwick\\Backups\\c.reg"})
    ASSERT_TRUE(ops_->WriteNewFile(At(file), Bytes("x")).ok());
  std::vector<std::u16string> names = {u"left from before"};
  ASSERT_TRUE(ops_->ListFiles(At(u"TARNWICK"), names).ok());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::u16string>{u"a", u"b.reg"}));
  ASSERT_TRUE(ops_->ListFiles(At(u"Empty"), names).ok());
  EXPECT_TRUE(names.empty());
  EXPECT_EQ(ops_->ListFiles(At(u"missing"), names).code, kErrorFileNotFound);
  EXPECT_EQ(ops_->ListFiles(At(u"missing\\Backups"), names).code, kErrorPathNotFound);
}

TEST_P(BackupFolderContract, ANewFileIsWrittenWholeNeverOverAnotherAndReadsBack) {
  std::vector<std::byte> large(1'500'000);  // more than one write
  for (std::size_t i = 0; i < large.size(); ++i)
    large[i] = static_cast<std::byte>(i * 7);
  ASSERT_TRUE(ops_->MakeFolder(At(u"folder")).ok());
  const struct {
    std::u16string_view name;
    std::vector<std::byte> contents;
  } files[] = {{u"a.reg", Bytes("Windows Registry")}, {u"empty.reg", {}}, {u"large", large}};
  for (const auto& file : files) {
    SCOPED_TRACE(std::string(file.name.begin(), file.name.end()));
    ASSERT_TRUE(ops_->WriteNewFile(At(file.name), file.contents).ok());
    EXPECT_EQ(ReadBack(*ops_, At(file.name)), file.contents);
    EXPECT_EQ(ops_->WriteNewFile(At(file.name), Bytes("other")).code, kErrorFileExists);
    EXPECT_EQ(ReadBack(*ops_, At(file.name)), file.contents) << "and it is not replaced";
  }
  EXPECT_EQ(ReadBack(*ops_, At(u"large"), 3),
            std::vector<std::byte>(large.begin(), large.begin() + 3))
      << "read up to the limit";
  EXPECT_EQ(ops_->WriteNewFile(At(u"FOLDER"), Bytes("x")).code, kErrorFileExists);
  EXPECT_EQ(ops_->WriteNewFile(At(u"missing\\a.reg"), Bytes("x")).code, kErrorPathNotFound);
  EXPECT_EQ(ops_->OpenFileToRead(At(u"missing.reg")).result.code, kErrorFileNotFound);

  // Readers that share reading keep nobody from reading; what is opened to be examined is not
  // opened for its contents.
  Opened reader = ops_->OpenFileToRead(At(u"a.reg"));
  ASSERT_TRUE(reader.result.ok());
  EXPECT_EQ(ReadBack(*ops_, At(u"a.reg")), files[0].contents);
  ItemFacts facts{true, true};
  EXPECT_TRUE(reader.item->Facts(facts).ok());
  EXPECT_FALSE(facts.folder || facts.link);
  std::vector<std::byte> contents;
  for (int read = 0; read < 2; ++read) {
    EXPECT_TRUE(reader.item->Read(100, contents).ok());
    EXPECT_EQ(contents, files[0].contents) << "every read starts at the start";
  }
  EXPECT_EQ(Look(*ops_, At(u"a.reg")).item->Read(10, contents).code, kErrorAccessDenied);
}

// The lock file: one holder at a time, in this process or another, until its item is gone.
TEST_P(BackupFolderContract, TheLockFileIsHeldByOneHolderUntilItsItemIsDestroyed) {
  ASSERT_TRUE(ops_->MakeFolder(At(u"Tarnwick")).ok());
  const std::u16string lock = At(u"Tarnwick\\run.lock");
  {
    Opened held = ops_->OpenLockFile(lock);
    ASSERT_TRUE(held.result.ok());
    EXPECT_EQ(ops_->OpenLockFile(lock).result.code, kErrorSharingViolation);
    EXPECT_EQ(ops_->OpenFileToRead(lock).result.code, kErrorSharingViolation)
        << "nobody reads what somebody writes";
    EXPECT_EQ(ops_->WriteNewFile(lock, Bytes("x")).code, kErrorFileExists);
    // An open for attributes and security alone is checked against no sharing mode (CreateFileW:
    // "If this parameter is zero, the application can query certain metadata ... even if
    // GENERIC_READ access would have been denied").
    EXPECT_EQ(Look(*ops_, lock).status, 0u);
  }
  std::vector<std::u16string> names;
  ASSERT_TRUE(ops_->ListFiles(At(u"Tarnwick"), names).ok());
  EXPECT_EQ(names, std::vector<std::u16string>{u"run.lock"}) << "the file stays between runs";
  EXPECT_EQ(ReadBack(*ops_, lock), std::vector<std::byte>{}) << "and is never written";
  {
    Opened reader = ops_->OpenFileToRead(lock);
    ASSERT_TRUE(reader.result.ok());
    EXPECT_EQ(ops_->OpenLockFile(lock).result.code, kErrorSharingViolation)
        << "nor is it had while somebody reads it";
  }
  EXPECT_TRUE(ops_->OpenLockFile(lock).result.ok());
  EXPECT_EQ(ops_->OpenLockFile(At(u"missing\\run.lock")).result.code, kErrorPathNotFound);
}

TEST_P(BackupFolderContract, TheFolderInUseIsRecordedAndReadBack) {
  std::u16string name = u"stale";
  ASSERT_TRUE(ops_->RecordedFolder(name).ok());
  EXPECT_EQ(name, u"") << "nothing recorded yet";
  for (const char16_t* recorded : {u"Tarnwick-00000000000000a1", u"Tarnwick"}) {
    ASSERT_TRUE(ops_->RecordFolder(recorded).ok());
    ASSERT_TRUE(ops_->RecordedFolder(name).ok());
    EXPECT_EQ(name, recorded);
  }
}

// What the operations make is owned by Administrators (the owner in the descriptor they make it
// with); under Wine every object has the system directory's owner, which counts the same.
TEST_P(BackupFolderContract, WhatTheOperationsMakeIsAnAdministratorsWithAdministratorsOnlyAccess) {
  ASSERT_TRUE(ops_->MakeFolder(At(u"Tarnwick")).ok());
  ASSERT_TRUE(ops_->WriteNewFile(At(u"Tarnwick\\a.reg"), Bytes("x")).ok());
  ASSERT_TRUE(ops_->OpenLockFile(At(u"Tarnwick\\run.lock")).result.ok());
  for (const char16_t* made : {u"Tarnwick", u"Tarnwick\\a.reg", u"Tarnwick\\run.lock"}) {
    SCOPED_TRACE(std::string(made, made + std::char_traits<char16_t>::length(made)));
    EXPECT_TRUE(Trusted(*ops_, At(made)));
    EXPECT_NE(world_->AdminOnly(At(made)), std::optional<bool>(false));
  }
}

TEST_P(BackupFolderContract, DrawsDifferAndTheClockGivesADate) {
  EXPECT_NE(ops_->Unforeseeable(), ops_->Unforeseeable());
  const BackupStamp now = ops_->LocalTime();
  EXPECT_GE(now.year, 2024);
  EXPECT_TRUE(now.month >= 1 && now.month <= 12 && now.day >= 1 && now.day <= 31);
  EXPECT_TRUE(now.hour < 24 && now.minute < 60 && now.second < 62);
}

// The rows below need what Wine cannot show; each is run where the backend can arrange it.

// A standard user's objects are theirs: TOKEN_OWNER holds "the default owner security identifier
// (SID) that will be applied to newly created objects", for a standard user their own SID. The
// lock's file keeps the owner and DACL it has: "The provided SECURITY_ATTRIBUTES structure is
// applied only if the file does not already exist at the time of creation" (Creating and Opening
// Files).
TEST_P(BackupFolderContract, WhatAStandardUserMadeIsTheirsAndKeepsTheirSecurity) {
  if (!world_->PlantAsUser(At(u"planted")) || !world_->AdminOnly(At(u"planted")))
    GTEST_SKIP() << "owners and DACLs are not kept here";
  EXPECT_FALSE(Trusted(*ops_, At(u"planted")));
  ASSERT_TRUE(ops_->OpenLockFile(At(u"planted")).result.ok());
  EXPECT_FALSE(Trusted(*ops_, At(u"planted")));
  EXPECT_EQ(world_->AdminOnly(At(u"planted")), false);
}

// An open that asks for data access breaks an oplock and would wait for its holder's
// acknowledgment; with FILE_COMPLETE_IF_OPLOCKED it returns at once ("Complete this operation
// immediately with an alternate success code of STATUS_OPLOCK_BREAK_IN_PROGRESS if the target
// file is oplocked", ZwCreateFile; "Checking the Oplock State of an IRP_MJ_CREATE Operation"),
// which the operations report as kInUse. READ_CONTROL breaks a Level 1 or batch oplock too.
// The lock file, never read or written, is had all the same.
TEST_P(BackupFolderContract, AnOplockedFileIsReportedInUseAtOnceButTheLockIsHad) {
  ASSERT_TRUE(ops_->WriteNewFile(At(u"a.reg"), Bytes("x")).ok());
  ASSERT_TRUE(ops_->WriteNewFile(At(u"run.lock"), {}).ok());
  if (!world_->HoldOplock(At(u"a.reg")) || !world_->HoldOplock(At(u"run.lock")))
    GTEST_SKIP() << "there are no oplocks here";
  EXPECT_EQ(ops_->OpenEntry(At(u"a.reg")).result.code, kErrorOplockBreakInProgress);
  EXPECT_EQ(ops_->OpenFileToRead(At(u"a.reg")).result.code, kErrorOplockBreakInProgress);
  EXPECT_TRUE(ops_->OpenLockFile(At(u"run.lock")).result.ok());
}

// A junction or symbolic link is opened as itself, never followed (FILE_OPEN_REPARSE_POINT,
// NtCreateFile: "Open a file with a reparse point and bypass normal reparse point processing").
TEST_P(BackupFolderContract, ALinkIsReportedAsALink) {
  ASSERT_TRUE(ops_->MakeFolder(At(u"target")).ok());
  if (!world_->MakeLink(At(u"Tarnwick"), At(u"target")))
    GTEST_SKIP() << "links cannot be made here, or are opened through";
  const Entry link = Look(*ops_, At(u"Tarnwick"));
  EXPECT_EQ(link.status, 0u);
  EXPECT_TRUE(link.facts.link);
  EXPECT_EQ(ops_->MakeFolder(At(u"Tarnwick")).code, kErrorAlreadyExists);
  EXPECT_FALSE(Look(*ops_, At(u"target")).facts.link);
}

}  // namespace
}  // namespace tarnwick::testing
