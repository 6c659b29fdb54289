#include "backup/backup_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <numeric>

#include "fake_backup_folder_ops.h"

namespace tarnwick::testing {
namespace {

using Ops = FakeBackupFolderOps;
const std::u16string kTarnwick(Ops::kTarnwick);
const std::u16string kBackups(Ops::kBackups);
const std::u16string kChosen(Ops::kChosen);
const std::u16string kChosenBackups(Ops::kChosenBackups);
const std::u16string kFirst = Ops::BackupPath(u"registry-000001");
const std::vector<std::byte> kContents = {std::byte{0xFF}, std::byte{0xFE}, std::byte{'W'}};

std::vector<std::byte> Bytes(std::size_t size) {
  return std::vector<std::byte>(size, std::byte{'x'});
}

std::size_t IndexOf(const std::vector<std::string>& calls, const std::string& call) {
  return static_cast<std::size_t>(std::find(calls.begin(), calls.end(), call) - calls.begin());
}

// Tarnwick and its Backups as an administrator's run left them: recorded, unless an earlier
// release made them (`earlier`), which recorded nothing.
void Folders(Ops& ops, bool earlier = false) {
  ops.items[kTarnwick] = FakeItem::Folder();
  ops.items[kBackups] = FakeItem::Folder();
  if (!earlier)
    ops.record = u"Tarnwick";
}

// This release's folders, then `item` at `path`, on which `operation` fails once as `failed`.
std::function<void(Ops&)> At(const std::u16string& path, FakeItem item, const char* operation = "",
                             SystemError failed = {}) {
  return [=](Ops& ops) {
    Folders(ops);
    if (path == kTarnwick)
      ops.items.erase(kBackups);
    ops.items[path] = item;
    ops.Fail(operation, path, failed, 1);
  };
}

struct FolderCase {
  const char* label;
  std::function<void(Ops&)> arrange;
  std::u16string saved;  // where the backup goes
  std::u16string left;   // the entry not used, if any
  EntryForm form = EntryForm::kUntrustedFolder;
  std::uint32_t status = 0;
};

TEST(BackupFiles, WhatIsNotAnAdministratorsFolderIsLeftAndAFolderOfAnUnforeseeableNameRecorded) {
  const std::u16string chosenFirst = Ops::BackupPath(u"registry-000001", kChosenBackups);
  FakeItem link = FakeItem::Folder();
  link.link = true;
  FakeItem oplocked = FakeItem::File();
  oplocked.oplocked = true;
  const SystemError denied = SystemError{5};
  const std::vector<FolderCase> cases = {
      {"no folders yet", [](Ops&) {}, kFirst, u""},
      {"this release's folders", [](Ops& ops) { Folders(ops); }, kFirst, u""},
      {"an earlier release's folders: numbered after their backups",
       [](Ops& ops) {
         Folders(ops, true);
         ops.items[Ops::BackupPath(u"registry-000003")] = FakeItem::File();
       },
       Ops::BackupPath(u"registry-000004", kChosenBackups), kTarnwick, EntryForm::kEarlier},
      // A folder that somebody else made, with a file in it that they keep open, would neither
      // be renamed nor removed: it is not touched.
      {"planted folders holding an open file",
       [](Ops& ops) {
         Folders(ops, true);
         ops.items[kTarnwick].trusted = ops.items[kBackups].trusted = false;
         ops.items[Ops::BackupPath(u"registry-000009")] = FakeItem::File();
         ops.items[Ops::BackupPath(u"registry-000009")].beingWritten = true;
       },
       chosenFirst, kTarnwick},
      {"a file at Tarnwick", [](Ops& ops) { ops.items[kTarnwick] = FakeItem::File(); }, chosenFirst,
       kTarnwick, EntryForm::kFile},
      // Looking at it with READ_CONTROL would wait on its oplock: the open says so at once.
      {"a file at Tarnwick with an oplock on it",
       [=](Ops& ops) { ops.items[kTarnwick] = oplocked; }, chosenFirst, kTarnwick,
       EntryForm::kUnopenable, 742},
      {"a file at Backups", At(kBackups, FakeItem::File()), chosenFirst, kBackups,
       EntryForm::kFile},
      {"a junction at Tarnwick", At(kTarnwick, link), chosenFirst, kTarnwick, EntryForm::kLink},
      {"a link at Backups", At(kBackups, link), chosenFirst, kBackups, EntryForm::kLink},
      {"a Tarnwick that cannot be opened", At(kTarnwick, FakeItem::Folder(), "OpenEntry", denied),
       chosenFirst, kTarnwick, EntryForm::kUnopenable, 5},
      {"a Backups whose owner cannot be read",
       At(kBackups, FakeItem::Folder(), "OwnerTrusted", denied), chosenFirst, kBackups,
       EntryForm::kOwnerUnknown, 5},
      {"the recorded folder is gone: made again",
       [](Ops& ops) { ops.record = u"Tarnwick-0123456789abcdef"; },
       Ops::BackupPath(u"registry-000001", u"C:\\ProgramData\\Tarnwick-0123456789abcdef\\Backups"),
       u""},
      {"the recorded folder was planted since",
       [](Ops& ops) {
         ops.record = u"Tarnwick-0123456789abcdef";
         ops.items[u"C:\\ProgramData\\Tarnwick-0123456789abcdef"] = FakeItem::Folder().Planted();
       },
       chosenFirst, u"C:\\ProgramData\\Tarnwick-0123456789abcdef"},
      {"a record of no folder of Tarnwick's is not followed",
       [](Ops& ops) { ops.record = u"..\\Windows"; }, kFirst, u""},
      {"a folder of the first name drawn is there already",
       [](Ops& ops) {
         ops.items[kTarnwick] = FakeItem::File();
         ops.items[kChosen] = FakeItem::Folder().Planted();
       },
       Ops::BackupPath(u"registry-000001", u"C:\\ProgramData\\Tarnwick-00000000000000a2\\Backups"),
       kTarnwick, EntryForm::kFile},
  };
  for (const FolderCase& c : cases) {
    SCOPED_TRACE(c.label);
    Ops ops;
    c.arrange(ops);
    const FakeItems before = ops.items;
    BackupFiles files(ops);
    const BackupResult saved = files.SaveNew(BackupKind::kUpdate, kContents);
    ASSERT_EQ(saved.outcome, BackupOutcome::kDone);
    EXPECT_EQ(saved.path, c.saved);
    EXPECT_EQ(ops.items.at(c.saved).bytes, kContents);
    EXPECT_TRUE(ops.items.at(c.saved).secured) << "made with the administrators-only security";
    const std::u16string folder = c.saved.substr(0, c.saved.rfind(u"\\Backups\\"));
    EXPECT_EQ(u"C:\\ProgramData\\" + ops.record, folder) << "the folder in use is recorded";
    for (const auto& [path, item] : before) {
      EXPECT_TRUE(ops.items.contains(path)) << "nothing is renamed or removed";
      EXPECT_EQ(ops.items.at(path).secured, item.secured) << "nothing's security is changed";
    }
    EXPECT_LT(IndexOf(ops.calls, "OpenEntry " + std::string(folder.begin(), folder.end())),
              IndexOf(ops.calls, "WriteNewFile " + std::string(c.saved.begin(), c.saved.end())));
    EXPECT_EQ(ops.openAtWrite.back(), c.form == EntryForm::kEarlier ? 4 : 2)
        << "the folders stay open while writing";
    EXPECT_EQ(ops.open, 0);
    ASSERT_EQ(saved.notUsed.size(), c.left.empty() ? 0u : 1u);
    if (c.left.empty())
      continue;
    EXPECT_EQ(saved.notUsed[0].path, c.left);
    EXPECT_EQ(saved.notUsed[0].instead, folder);
    EXPECT_EQ(saved.notUsed[0].form, c.form);
    EXPECT_EQ(saved.notUsed[0].status, c.status);
    BackupResult again = files.SaveNew(BackupKind::kUpdate, kContents);
    EXPECT_EQ(again.path.rfind(folder + u"\\Backups\\registry-", 0), 0u)
        << "a later run finds the recorded folder";
    EXPECT_TRUE(again.notUsed.empty()) << "and says nothing of what it left";
  }
}

TEST(BackupFiles, EachFileIsNumberedAfterTheHighestOfEitherKindAndNeverReplacesOne) {
  Ops ops;
  Folders(ops);
  const std::u16string earlier = kBackups + u"\\registry-2026-12-08_193012.reg";
  ops.items[earlier] = FakeItem::File();
  ops.items[earlier].link = true;
  BackupFiles files(ops);
  EXPECT_EQ(files.SaveNew(BackupKind::kUpdate, kContents).path, kFirst)
      << "a file of the earlier form counts as older than any numbered one";
  EXPECT_TRUE(ops.items.at(earlier).bytes.empty());
  EXPECT_EQ(files.SaveNew(BackupKind::kBeforeUndo, kContents).path,
            kBackups + u"\\before-undo-000002-2026-12-08_193012.reg");
  ops.Fail("WriteNewFile", Ops::BackupPath(u"registry-000003"), SystemError{80});
  EXPECT_EQ(files.SaveNew(BackupKind::kUpdate, kContents).path, Ops::BackupPath(u"registry-000004"))
      << "a name taken meanwhile is passed over";
  ops.items[Ops::BackupPath(u"registry-000009")] = FakeItem::File().Planted();
  ops.items[Ops::BackupPath(u"registry-000008")].oplocked = true;
  EXPECT_EQ(files.SaveNew(BackupKind::kUpdate, kContents).path, Ops::BackupPath(u"registry-000005"))
      << "a planted name, or one that cannot be looked at now, sets no number";
  ops.items[kBackups + u"\\registry-999999999-2026-12-08_193012.reg"] = FakeItem::File();
  EXPECT_EQ(files.SaveNew(BackupKind::kUpdate, kContents).outcome, BackupOutcome::kFailed)
      << "no number is newer than the highest";
  EXPECT_TRUE(ops.waited.empty());
}

struct SaveCase {
  const char* label;
  std::function<void(Ops&)> arrange;
  BackupOutcome outcome;
  std::u16string path;
  std::uint32_t status;
};

TEST(BackupFiles, NothingIsWrittenUnlessEveryFolderIsSafe) {
  const SystemError denied = SystemError{5};
  const std::vector<SaveCase> cases = {
      {"the base folder is unknown",
       [](Ops& ops) { ops.Fail("BaseFolder", u"", SystemError{0x80070002}); },
       BackupOutcome::kNoFolder, u"", 0x80070002},
      {"its volume cannot be asked",
       [](Ops& ops) { ops.Fail("Permissions", u"C:\\ProgramData", SystemError{1117}); },
       BackupOutcome::kNoFolder, u"C:\\ProgramData", 1117},
      {"the base folder is missing", [](Ops& ops) { ops.items.clear(); }, BackupOutcome::kNoFolder,
       kTarnwick, 3},
      {"making Tarnwick is refused", [=](Ops& ops) { ops.Fail("MakeFolder", kTarnwick, denied); },
       BackupOutcome::kAccessDenied, kTarnwick, 5},
      {"the disk is full", [](Ops& ops) { ops.Fail("MakeFolder", kBackups, SystemError{112}); },
       BackupOutcome::kDiskFull, kBackups, 112},
      {"the record cannot be read", [=](Ops& ops) { ops.Fail("RecordedFolder", u"", denied); },
       BackupOutcome::kNoRecord, u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Tarnwick", 5},
      {"the record cannot be written",
       [=](Ops& ops) {
         ops.items[kTarnwick] = FakeItem::File();
         ops.Fail("RecordFolder", u"", denied);
       },
       BackupOutcome::kNoRecord, u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Tarnwick", 5},
      {"no folder made in Tarnwick's place can be opened",
       [=](Ops& ops) {
         ops.items[kTarnwick] = FakeItem::File();
         ops.Fail("OpenEntry", u"", denied);
       },
       BackupOutcome::kFolderUntrusted, u"C:\\ProgramData\\Tarnwick-00000000000000a4", 5},
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
    EXPECT_EQ(ops.open, 0);
  }
}

TEST(BackupFiles, BackupsAreListedNewestFirstFromTheFolderInUseAndAnEarlierOne) {
  Ops ops;
  Folders(ops, true);
  ops.record = u"Tarnwick-00000000000000a1";
  ops.items[kChosen] = FakeItem::Folder();
  ops.items[kChosenBackups] = FakeItem::Folder();
  unsigned char mark = 0;
  // Made in this order, while the clock went back between the last two.
  for (const char16_t* name :
       {u"registry-2026-12-08_193011-10.reg", u"registry-2026-12-08_193012.reg",
        u"registry-2026-12-08_193012-2.reg", u"registry-000001-2026-12-08_193013.reg",
        u"before-undo-000002-2026-12-08_193015.reg", u"registry-000003-2026-12-08_193012.reg.new",
        u"registry-2026-12-08_193013-1.reg"})
    ops.items[kBackups + u"\\" + name] = FakeItem::File({std::byte{++mark}});
  ops.items[kChosenBackups + u"\\registry-000003-2026-12-08_163015.reg"] =
      FakeItem::File({std::byte{++mark}});
  ops.items[kBackups + u"\\registry-000009-2030-01-01_000000.reg"] = FakeItem::Folder();
  BackupFiles files(ops);
  const ListedBackups listed = files.ListNewestFirst();
  ASSERT_EQ(listed.outcome, BackupOutcome::kDone);
  std::vector<std::u16string> names;
  for (const BackupEntry& entry : listed.newestFirst)
    names.push_back(entry.path.substr(Ops::kBase.size() + 1));
  EXPECT_EQ(names, (std::vector<std::u16string>{
                       u"Tarnwick-00000000000000a1\\Backups\\registry-000003-2026-12-08_163015.reg",
                       u"Tarnwick\\Backups\\before-undo-000002-2026-12-08_193015.reg",
                       u"Tarnwick\\Backups\\registry-000001-2026-12-08_193013.reg",
                       u"Tarnwick\\Backups\\registry-2026-12-08_193012-2.reg",
                       u"Tarnwick\\Backups\\registry-2026-12-08_193012.reg",
                       u"Tarnwick\\Backups\\registry-2026-12-08_193011-10.reg"}));
  EXPECT_EQ(listed.newestFirst[1].kind, BackupKind::kBeforeUndo);
  EXPECT_TRUE(listed.notUsed.empty());

  for (const BackupEntry& entry : {listed.newestFirst[0], listed.newestFirst[2]}) {
    const LoadedFile loaded = files.Load(entry.path);
    ASSERT_EQ(loaded.outcome, BackupOutcome::kDone);
    EXPECT_EQ(loaded.contents, ops.items.at(entry.path).bytes);
    const std::string at(entry.path.begin(), entry.path.end());
    EXPECT_LT(IndexOf(ops.calls, "OwnerTrusted " + at), IndexOf(ops.calls, "Read " + at));
  }
  EXPECT_EQ(files.Load(u"C:\\Temp\\registry-000001-2026-12-08_193013.reg").status, 87u)
      << "only a file in a backup folder is loaded";
  EXPECT_EQ(ops.open, 0);
}

TEST(BackupFiles, WithoutAFolderThereIsNothingToListAndNothingIsMade) {
  for (const bool planted : {false, true}) {
    Ops ops;
    if (planted)
      ops.items[kTarnwick] = FakeItem::File();
    BackupFiles files(ops);
    const ListedBackups listed = files.ListNewestFirst();
    EXPECT_EQ(listed.outcome, BackupOutcome::kDone);
    EXPECT_TRUE(listed.newestFirst.empty());
    EXPECT_EQ(ops.items.size(), planted ? 2u : 1u);
    EXPECT_TRUE(ops.record.empty());
    EXPECT_EQ(listed.notUsed.size(), planted ? 1u : 0u);
  }
}

struct LoadCase {
  const char* label;
  std::function<void(Ops&)> arrange;
  BackupOutcome outcome;
  std::u16string path;
  std::uint32_t status;
  std::uint32_t paused = 0;
};

TEST(BackupFiles, AFileIsReadOnlyWhenItAndItsFoldersAreSafe) {
  const std::vector<LoadCase> cases = {
      {"a file of an administrator's", [](Ops&) {}, BackupOutcome::kDone, kFirst, 0},
      {"a file a scanner holds for a moment",
       [](Ops& ops) { ops.Fail("OpenFileToRead", kFirst, SystemError{32}, 2); },
       BackupOutcome::kDone, kFirst, 0, 400},
      {"the folder is a link now", [](Ops& ops) { ops.items[kTarnwick].link = true; },
       BackupOutcome::kFailed, kFirst, 3},
      {"the file is a link", [](Ops& ops) { ops.items[kFirst].link = true; },
       BackupOutcome::kFileNotSecured, kFirst, 0},
      {"the file is being written", [](Ops& ops) { ops.items[kFirst].beingWritten = true; },
       BackupOutcome::kFileNotSecured, kFirst, 32, 800},
      // Reading it would wait until its holder acknowledges the break.
      {"somebody holds an oplock on the file", [](Ops& ops) { ops.items[kFirst].oplocked = true; },
       BackupOutcome::kFileNotSecured, kFirst, 742, 800},
      {"the file's owner cannot be read",
       [](Ops& ops) { ops.Fail("OwnerTrusted", kFirst, SystemError{1307}); },
       BackupOutcome::kFileNotSecured, kFirst, 1307},
      {"the file was planted", [](Ops& ops) { ops.items[kFirst].trusted = false; },
       BackupOutcome::kFileUntrusted, kFirst, 0},
      {"the file may not be opened",
       [](Ops& ops) { ops.Fail("OpenFileToRead", kFirst, SystemError{5}); },
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
      {"the file cannot be read", [](Ops& ops) { ops.Fail("Read", kFirst, SystemError{23}); },
       BackupOutcome::kFailed, kFirst, 23},
      // Anybody could have written it.
      {"its volume keeps no permissions", [](Ops& ops) { ops.permissions.base = false; },
       BackupOutcome::kUnprotected, kFirst, 0},
      // Nor does the system's: nobody is kept from anything there.
      {"neither its volume nor the system's keeps permissions",
       [](Ops& ops) {
         ops.permissions = {false, false};
         ops.items[kFirst].trusted = false;
       },
       BackupOutcome::kDone, kFirst, 0},
  };
  for (const LoadCase& c : cases) {
    SCOPED_TRACE(c.label);
    Ops ops;
    Folders(ops);
    ops.items[kFirst] = FakeItem::File(kContents);
    c.arrange(ops);
    BackupFiles files(ops);
    const LoadedFile loaded = files.Load(kFirst);
    EXPECT_EQ(loaded.outcome, c.outcome);
    EXPECT_EQ(loaded.path, c.path);
    EXPECT_EQ(loaded.status, c.status);
    EXPECT_EQ(loaded.contents, loaded.ok() ? kContents : std::vector<std::byte>{});
    EXPECT_EQ(std::accumulate(ops.pauses.begin(), ops.pauses.end(), 0u), c.paused);
    EXPECT_TRUE(ops.waited.empty());
    EXPECT_EQ(ops.open, 0);
  }
  Ops ops;
  Folders(ops);
  ops.items[kFirst] = FakeItem::File(Bytes(kMaxBackupSize));
  EXPECT_EQ(BackupFiles(ops).Load(kFirst).contents.size(), kMaxBackupSize);
}

}  // namespace
}  // namespace tarnwick::testing
