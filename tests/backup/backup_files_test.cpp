#include "backup/backup_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "fake_backup_folder_ops.h"

namespace tarnwick::testing {
namespace {

using Ops = FakeBackupFolderOps;
const std::u16string kTarnwick(Ops::kTarnwick);
const std::u16string kBackups(Ops::kBackups);
const std::u16string kFirst = kBackups + u"\\registry-000001-2026-12-08_193012.reg";
const std::vector<std::byte> kContents = {std::byte{0xFF}, std::byte{0xFE}, std::byte{'W'}};

std::vector<std::byte> Bytes(std::size_t size) {
  return std::vector<std::byte>(size, std::byte{'x'});
}

std::size_t IndexOf(const std::vector<std::string>& calls, const std::string& call) {
  return static_cast<std::size_t>(std::find(calls.begin(), calls.end(), call) - calls.begin());
}

// Folders as someone else may have left them: there, but not secured; made by an administrator
// unless `byUser`.
void PlantFolders(Ops& ops, bool byUser = false) {
  ops.items[kTarnwick] = FakeItem::Folder();
  ops.items[kBackups] = FakeItem::Folder();
  ops.items[kTarnwick].trusted = ops.items[kBackups].trusted = !byUser;
}

// Folders an administrator made, then `item` at `path` (Tarnwick or Backups), on which
// `operation` fails once as `failed`.
std::function<void(Ops&)> At(const std::u16string& path, FakeItem item, const char* operation = "",
                             FsResult failed = {}) {
  return [=](Ops& ops) {
    PlantFolders(ops);
    if (path == kTarnwick)
      ops.items.erase(kBackups);
    ops.items[path] = item;
    ops.Fail(operation, path, failed, 1);
  };
}

struct FolderCase {
  const char* label;
  std::function<void(Ops&)> arrange;
  std::u16string aside;  // the entry moved aside, if any
  EntryForm form = EntryForm::kUntrustedFolder;
  std::uint32_t status = 0;
};

TEST(BackupFiles, FoldersAreMadeOrSecuredBeforeTheFileAndHeldWhileItIsWritten) {
  const std::u16string planted = kBackups + u"\\registry-000009-2026-12-08_193012.reg";
  FakeItem link = FakeItem::Folder();
  link.link = true;
  const FsResult denied = {FsError::kAccessDenied, 5};
  // Whatever is not a folder that an administrator made is neither taken over nor used: a
  // handle opened before could still reach it. It is renamed aside whole, and a new one made.
  const std::vector<FolderCase> cases = {
      {"no folders yet", [](Ops&) {}, u""},
      {"folders an administrator made", At(kBackups, FakeItem::Folder()), u""},
      {"planted folders",
       [&](Ops& ops) {
         PlantFolders(ops, true);
         ops.items[planted] = FakeItem::File();
       },
       kTarnwick},
      {"a file at Tarnwick", At(kTarnwick, FakeItem::File()), kTarnwick, EntryForm::kFile},
      {"a file at Backups", At(kBackups, FakeItem::File()), kBackups, EntryForm::kFile},
      {"a junction at Tarnwick", At(kTarnwick, link), kTarnwick, EntryForm::kLink},
      {"a link at Backups", At(kBackups, link), kBackups, EntryForm::kLink},
      {"a Tarnwick that cannot be opened", At(kTarnwick, FakeItem::Folder(), "OpenFolder", denied),
       kTarnwick, EntryForm::kUnopenable, 5},
      {"a Backups whose owner cannot be read",
       At(kBackups, FakeItem::Folder(), "OwnerTrusted", denied), kBackups, EntryForm::kOwnerUnknown,
       5},
      {"a file at Tarnwick that another run moves aside first",
       At(kTarnwick, FakeItem::File(), "Rename", {FsError::kNotFound, 2}), kTarnwick,
       EntryForm::kFile},
  };
  for (const FolderCase& c : cases) {
    SCOPED_TRACE(c.label);
    Ops ops;
    c.arrange(ops);
    BackupFiles files(ops);
    const BackupResult saved = files.SaveNew(BackupKind::kUpdate, kContents);
    ASSERT_EQ(saved.outcome, BackupOutcome::kDone);
    EXPECT_EQ(saved.path, kFirst);
    EXPECT_EQ(ops.items.at(kFirst).bytes, kContents);
    for (const std::u16string& path : {kTarnwick, kBackups, kFirst}) {
      EXPECT_TRUE(ops.items.at(path).secured);
      EXPECT_TRUE(ops.items.at(path).trusted);
      EXPECT_FALSE(ops.items.at(path).link);
    }
    EXPECT_LT(IndexOf(ops.calls, "OpenFolder C:\\ProgramData\\Tarnwick\\Backups"),
              IndexOf(ops.calls,
                      "WriteNewFile C:\\ProgramData\\Tarnwick\\Backups\\registry-"
                      "000001-2026-12-08_193012.reg"));
    EXPECT_EQ(ops.openAtWrite, std::vector<int>{2}) << "both folders stay open while writing";
    EXPECT_EQ(ops.open, 0);
    ASSERT_EQ(saved.movedAside.size(), c.aside.empty() ? 0u : 1u);
    if (c.aside.empty())
      continue;
    const std::u16string to = c.aside + u".untrusted-2026-12-08_193012";
    EXPECT_EQ(saved.movedAside[0].from, c.aside);
    EXPECT_EQ(saved.movedAside[0].to, to);
    EXPECT_EQ(saved.movedAside[0].form, c.form);
    EXPECT_EQ(saved.movedAside[0].status, c.status);
    EXPECT_FALSE(ops.items.at(to).secured) << "nothing moved aside is changed";
    EXPECT_EQ(ops.items.contains(to + u"\\Backups\\registry-000009-2026-12-08_193012.reg"),
              c.aside == kTarnwick && c.form == EntryForm::kUntrustedFolder);
  }
}

TEST(BackupFiles, EachFileIsNumberedAfterTheHighestOfEitherKindAndNeverReplacesOne) {
  Ops ops;
  PlantFolders(ops);
  const std::u16string earlier = kBackups + u"\\registry-2026-12-08_193012.reg";
  ops.items[earlier] = FakeItem::File();
  ops.items[earlier].link = true;
  BackupFiles files(ops);
  EXPECT_EQ(files.SaveNew(BackupKind::kUpdate, kContents).path, kFirst)
      << "a file of the earlier form counts as older than any numbered one";
  EXPECT_TRUE(ops.items.at(earlier).bytes.empty());
  EXPECT_EQ(files.SaveNew(BackupKind::kBeforeUndo, kContents).path,
            kBackups + u"\\before-undo-000002-2026-12-08_193012.reg");
  ops.Fail("WriteNewFile", kBackups + u"\\registry-000003-2026-12-08_193012.reg",
           {FsError::kExists, 80});
  EXPECT_EQ(files.SaveNew(BackupKind::kUpdate, kContents).path,
            kBackups + u"\\registry-000004-2026-12-08_193012.reg")
      << "a name taken meanwhile is passed over";
  ops.items[kBackups + u"\\registry-999999999-2026-12-08_193012.reg"] = FakeItem::File();
  EXPECT_EQ(files.SaveNew(BackupKind::kUpdate, kContents).outcome, BackupOutcome::kFailed)
      << "no number is newer than the highest";
}

struct SaveCase {
  const char* label;
  std::function<void(Ops&)> arrange;
  BackupOutcome outcome;
  std::u16string path;
  std::uint32_t status;
};

TEST(BackupFiles, NothingIsWrittenUnlessEveryFolderIsSafe) {
  const std::vector<SaveCase> cases = {
      {"Tarnwick's permissions cannot be set",
       [](Ops& ops) {
         ops.items[kTarnwick] = FakeItem::Folder();
         ops.Fail("MakeAdminOnly", kTarnwick, {FsError::kOther, 1307});
       },
       BackupOutcome::kFolderNotSecured, kTarnwick, 1307},
      {"a planted Backups cannot be moved aside",
       [](Ops& ops) {
         PlantFolders(ops);
         ops.items[kBackups].trusted = false;
         ops.Fail("Rename", kBackups, {FsError::kInUse, 32});
       },
       BackupOutcome::kFolderUntrusted, kBackups, 32},
      {"a file at Tarnwick that is open elsewhere",
       [](Ops& ops) {
         ops.items[kTarnwick] = FakeItem::File();
         ops.items[kTarnwick].beingWritten = true;
       },
       BackupOutcome::kFolderUntrusted, kTarnwick, 32},
      {"a Backups that can be neither opened nor renamed",
       [](Ops& ops) {
         ops.Fail("OpenFolder", kBackups, {FsError::kAccessDenied, 5});
         ops.Fail("Rename", kBackups, {FsError::kAccessDenied, 5});
       },
       BackupOutcome::kFolderUntrusted, kBackups, 5},
      {"a name taken again each time it is moved aside",
       [](Ops& ops) {
         ops.items[kTarnwick] = FakeItem::File();
         ops.Fail("MakeFolder", kTarnwick, {FsError::kExists, 183});
       },
       BackupOutcome::kFolderUntrusted, kTarnwick, 0},
      {"the base folder is unknown",
       [](Ops& ops) {
         ops.Fail("BaseFolder", u"", {FsError::kNotFound, 0x80070002});
       },
       BackupOutcome::kNoFolder, u"", 0x80070002},
      {"the base folder is missing", [](Ops& ops) { ops.items.clear(); }, BackupOutcome::kNoFolder,
       kTarnwick, 3},
      {"making Tarnwick is refused",
       [](Ops& ops) {
         ops.Fail("MakeFolder", kTarnwick, {FsError::kAccessDenied, 5});
       },
       BackupOutcome::kAccessDenied, kTarnwick, 5},
      {"the disk is full",
       [](Ops& ops) {
         ops.Fail("MakeFolder", kBackups, {FsError::kDiskFull, 112});
       },
       BackupOutcome::kDiskFull, kBackups, 112},
  };
  for (const SaveCase& c : cases) {
    SCOPED_TRACE(c.label);
    Ops ops;
    c.arrange(ops);
    BackupFiles files(ops);
    const BackupResult saved = files.SaveNew(BackupKind::kUpdate, kContents);
    EXPECT_EQ(saved.outcome, c.outcome);
    EXPECT_EQ(saved.path, c.path);
    EXPECT_EQ(saved.status, c.status);
    EXPECT_TRUE(ops.openAtWrite.empty()) << "no file was written";
    for (const auto& [path, item] : ops.items)
      EXPECT_FALSE(!c.path.empty() && path.starts_with(c.path + u"\\")) << "made below it";
    EXPECT_EQ(ops.open, 0);
  }
}

TEST(BackupFiles, ReplacingRemovesALeftoverNameAndNeverLeavesAPartialFile) {
  Ops ops;
  BackupFiles files(ops);
  const std::u16string path = files.SaveNew(BackupKind::kUpdate, kContents).path;
  ops.items[path + u".new"] = FakeItem::File(Bytes(1));
  ops.items[path + u".new"].names = 2;  // e.g. a planted hard link
  const std::vector<std::byte> longer = Bytes(40);
  ASSERT_TRUE(files.Replace(path, longer).ok());
  EXPECT_EQ(ops.items.at(path).bytes, longer);
  EXPECT_TRUE(ops.items.at(path).secured);
  EXPECT_FALSE(ops.items.contains(path + u".new"));

  ops.Fail("MoveOver", path, {FsError::kAccessDenied, 5});
  const BackupResult refused = files.Replace(path, Bytes(50));
  EXPECT_EQ(refused.outcome, BackupOutcome::kAccessDenied);
  EXPECT_EQ(refused.path, path);  // the failure line names the file
  EXPECT_EQ(ops.items.at(path).bytes, longer);
  EXPECT_FALSE(ops.items.contains(path + u".new"));

  const BackupResult elsewhere = files.Replace(u"C:\\Temp\\registry-2026-12-08_193012.reg", longer);
  EXPECT_EQ(elsewhere.outcome, BackupOutcome::kFailed);
  EXPECT_EQ(elsewhere.status, 87u);
  EXPECT_FALSE(ops.items.contains(u"C:\\Temp\\registry-2026-12-08_193012.reg.new"));
}

TEST(BackupFiles, BackupsAreListedNewestFirstAndLoadedAfterTheyWereSecured) {
  Ops ops;
  PlantFolders(ops);
  unsigned char mark = 0;
  // Made in this order, while the clock went back between the last two.
  for (const char16_t* name :
       {u"registry-2026-12-08_193011-10.reg", u"registry-2026-12-08_193012.reg",
        u"registry-2026-12-08_193012-2.reg", u"registry-000001-2026-12-08_193013.reg",
        u"before-undo-000002-2026-12-08_193015.reg", u"registry-000003-2026-12-08_163015.reg",
        u"registry-000003-2026-12-08_193012.reg.new", u"registry-2026-12-08_193013-1.reg"})
    ops.items[kBackups + u"\\" + name] = FakeItem::File({std::byte{++mark}});
  ops.items[kBackups + u"\\registry-000009-2030-01-01_000000.reg"] = FakeItem::Folder();
  BackupFiles files(ops);
  const ListedBackups listed = files.ListNewestFirst();
  ASSERT_EQ(listed.outcome, BackupOutcome::kDone);
  std::vector<std::u16string> names;
  for (const BackupEntry& entry : listed.newestFirst)
    names.push_back(entry.path.substr(kBackups.size() + 1));
  EXPECT_EQ(
      names,
      (std::vector<std::u16string>{
          u"registry-000003-2026-12-08_163015.reg", u"before-undo-000002-2026-12-08_193015.reg",
          u"registry-000001-2026-12-08_193013.reg", u"registry-2026-12-08_193012-2.reg",
          u"registry-2026-12-08_193012.reg", u"registry-2026-12-08_193011-10.reg"}));
  EXPECT_EQ(listed.newestFirst[1].kind, BackupKind::kBeforeUndo);
  EXPECT_TRUE(ops.items.at(kBackups).secured);

  const std::u16string newest = listed.newestFirst[0].path;
  const LoadedFile loaded = files.Load(newest);
  ASSERT_EQ(loaded.outcome, BackupOutcome::kDone);
  EXPECT_EQ(loaded.contents, ops.items.at(newest).bytes);
  EXPECT_FALSE(ops.items.at(newest).secured) << "a file's security is never changed";
  const std::string at =
      "C:\\ProgramData\\Tarnwick\\Backups\\registry-000003-2026-12-08_163015.reg";
  EXPECT_LT(IndexOf(ops.calls, "OwnerTrusted " + at), IndexOf(ops.calls, "Read " + at));
  EXPECT_EQ(files.Load(u"C:\\Temp\\registry-000001-2026-12-08_193013.reg").status, 87u)
      << "only a file in the backup folder is loaded";
  EXPECT_EQ(ops.open, 0);
}

TEST(BackupFiles, WithoutAFolderThereIsNothingToListAndNothingIsMade) {
  Ops ops;
  BackupFiles files(ops);
  const ListedBackups listed = files.ListNewestFirst();
  EXPECT_EQ(listed.outcome, BackupOutcome::kDone);
  EXPECT_TRUE(listed.newestFirst.empty());
  EXPECT_EQ(ops.items.size(), 1u);
}

struct LoadCase {
  const char* label;
  std::function<void(Ops&)> arrange;
  BackupOutcome outcome;
  std::u16string path;
  std::uint32_t status;
};

TEST(BackupFiles, AFileIsReadOnlyWhenItAndItsFoldersAreSafe) {
  const std::vector<LoadCase> cases = {
      {"Tarnwick is a link that cannot be moved aside",
       [](Ops& ops) {
         ops.items[kTarnwick].link = true;
         ops.Fail("Rename", kTarnwick, {FsError::kAccessDenied, 5});
       },
       BackupOutcome::kFolderUntrusted, kTarnwick, 5},
      {"Backups cannot be secured",
       [](Ops& ops) {
         ops.Fail("MakeAdminOnly", kBackups, {FsError::kOther, 1307});
       },
       BackupOutcome::kFolderNotSecured, kBackups, 1307},
      {"the file is a link", [](Ops& ops) { ops.items[kFirst].link = true; },
       BackupOutcome::kFileNotSecured, kFirst, 0},
      {"the file has another name", [](Ops& ops) { ops.items[kFirst].names = 2; },
       BackupOutcome::kFileNotSecured, kFirst, 0},
      {"the file is being written", [](Ops& ops) { ops.items[kFirst].beingWritten = true; },
       BackupOutcome::kFileNotSecured, kFirst, 32},
      {"the file's owner cannot be read",
       [](Ops& ops) {
         ops.Fail("OwnerTrusted", kFirst, {FsError::kOther, 1307});
       },
       BackupOutcome::kFileNotSecured, kFirst, 1307},
      {"the file was planted", [](Ops& ops) { ops.items[kFirst].trusted = false; },
       BackupOutcome::kFileUntrusted, kFirst, 0},
      {"the file may not be opened",
       [](Ops& ops) {
         ops.Fail("OpenFileToLoad", kFirst, {FsError::kAccessDenied, 5});
       },
       BackupOutcome::kAccessDenied, kFirst, 5},
      {"the file is larger than a backup",
       [](Ops& ops) { ops.items[kFirst].bytes = Bytes(kMaxBackupSize + 1); },
       BackupOutcome::kTooLarge, kFirst, 0},
      {"the folder is gone since it was listed",
       [](Ops& ops) {
         ops.items.erase(kFirst);
         ops.items.erase(kBackups);
       },
       BackupOutcome::kFailed, kFirst, 2},
      {"the file cannot be read",
       [](Ops& ops) {
         ops.Fail("Read", kFirst, {FsError::kOther, 23});
       },
       BackupOutcome::kFailed, kFirst, 23},
  };
  for (const LoadCase& c : cases) {
    SCOPED_TRACE(c.label);
    Ops ops;
    PlantFolders(ops);
    ops.items[kFirst] = FakeItem::File(kContents);
    c.arrange(ops);
    BackupFiles files(ops);
    const LoadedFile loaded = files.Load(kFirst);
    EXPECT_EQ(loaded.outcome, c.outcome);
    EXPECT_EQ(loaded.path, c.path);
    EXPECT_EQ(loaded.status, c.status);
    EXPECT_TRUE(loaded.contents.empty());
    EXPECT_EQ(ops.open, 0);
  }
  Ops ops;
  PlantFolders(ops);
  ops.items[kFirst] = FakeItem::File(Bytes(kMaxBackupSize));
  EXPECT_EQ(BackupFiles(ops).Load(kFirst).contents.size(), kMaxBackupSize);
}

}  // namespace
}  // namespace tarnwick::testing
