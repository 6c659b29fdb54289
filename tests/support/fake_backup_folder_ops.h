// BackupFolderOps over folders and files in memory, keyed by full path. Any operation can be
// made to fail on a path; every call is recorded as "<operation> <path>", and the items open
// at each write are counted. It answers as Win32BackupFolderOps does on Windows:
// - the lock file opens for one holder at a time (CreateFileW with no sharing);
// - a file that someone else holds an oplock on ("oplocked") fails an open that asks for more
//   than its attributes at once with error 742, where Windows would wait until they acknowledge
//   the break, which they may never do (NtCreateFile with FILE_COMPLETE_IF_OPLOCKED; "Checking
//   the Oplock State of an IRP_MJ_CREATE Operation"); the lock file, never read or written, opens
//   all the same. A read of such a file, which Windows would keep waiting ("Checking the Oplock
//   State of an IRP_MJ_READ Operation"), is recorded in `waited`;
// - a file open for writing elsewhere refuses an open to read it (error 32), and one open to
//   read refuses the lock;
// - what is opened to be examined is not opened for its contents (error 5 on reading it);
// - names are the same in any case of their ASCII letters, and an item in a missing folder is
//   not found with error 3, where one missing from a folder that is there gives error 2;
// - a volume that keeps no permissions (`permissions`), where the owners read mean nothing.
#pragma once

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "backup/backup_folder_ops.h"
#include "platform/text.h"

namespace tarnwick::testing {

struct FakeItem {
  bool folder = false;
  bool link = false;
  bool secured = false;       // made with the administrators-only security
  bool beingWritten = false;  // open for writing elsewhere, or here as the lock
  bool oplocked = false;      // someone else holds an oplock on it, and never lets go
  int readers = 0;            // opens to read it here
  bool trusted = true;        // owned by an administrator
  std::vector<std::byte> bytes;

  static FakeItem Folder() {
    FakeItem item;
    item.folder = true;
    return item;
  }
  static FakeItem File(std::vector<std::byte> bytes = {}) {
    FakeItem item;
    item.bytes = std::move(bytes);
    return item;
  }
  // Made by a standard user.
  FakeItem& Planted() {
    trusted = false;
    return *this;
  }
};

// Orders names as Windows tells them apart: regardless of the case of ASCII letters.
struct NameOrder {
  bool operator()(std::u16string_view a, std::u16string_view b) const {
    return std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(),
        [](char16_t x, char16_t y) { return FoldAscii(x) < FoldAscii(y); });
  }
};
using FakeItems = std::map<std::u16string, FakeItem, NameOrder>;

class FakeBackupFolderOps final : public BackupFolderOps {
 public:
  static constexpr std::u16string_view kBase = u"C:\\ProgramData";
  static constexpr std::u16string_view kTarnwick = u"C:\\ProgramData\\Tarnwick";
  static constexpr std::u16string_view kBackups = u"C:\\ProgramData\\Tarnwick\\Backups";
  static constexpr std::u16string_view kLock = u"C:\\ProgramData\\Tarnwick\\run.lock";
  // The folders that Unforeseeable() makes the names of, in the order they are asked for.
  static constexpr std::u16string_view kChosen = u"C:\\ProgramData\\Tarnwick-00000000000000a1";
  static constexpr std::u16string_view kChosenBackups =
      u"C:\\ProgramData\\Tarnwick-00000000000000a1\\Backups";

  // The backup file that `name` ("registry-000001") begins, made at LocalTime() in `folder`.
  static std::u16string BackupPath(std::u16string_view name,
                                   std::u16string_view folder = kBackups) {
    return std::u16string(folder) + u'\\' + std::u16string(name) + u"-2026-12-08_193012.reg";
  }

  FakeBackupFolderOps() { items[std::u16string(kBase)] = FakeItem::Folder(); }

  SystemError BaseFolder(std::u16string& path) override {
    path = kBase;
    return Check("BaseFolder", u"");
  }
  SystemError Permissions(std::u16string_view path, VolumePermissions& kept) override {
    kept = permissions;
    return Check("Permissions", path);
  }
  SystemError RecordedFolder(std::u16string& name) override {
    name = record;
    return Check("RecordedFolder", u"");
  }
  SystemError RecordFolder(std::u16string_view name) override {
    if (SystemError failed = Check("RecordFolder", name); !failed.ok())
      return failed;
    record = name;
    return {};
  }
  SystemError MakeFolder(std::u16string_view path) override {
    if (SystemError failed = Check("MakeFolder", path); !failed.ok())
      return failed;
    if (items.contains(std::u16string(path)))
      return SystemError{kErrorAlreadyExists};
    if (!HasParentFolder(path))
      return SystemError{kErrorPathNotFound};
    FakeItem made = FakeItem::Folder();
    made.secured = true;
    items[std::u16string(path)] = made;
    return {};
  }
  Opened OpenEntry(std::u16string_view path) override {
    return Open("OpenEntry", path, Item::kEntry);
  }
  Opened OpenLockFile(std::u16string_view path) override {
    if (SystemError failed = Check("OpenLockFile", path); !failed.ok())
      return {failed, nullptr};
    const std::u16string name(path);
    if (!items.contains(name) && HasParentFolder(path)) {
      items[name] = FakeItem::File();
      items[name].secured = true;
    }
    if (!items.contains(name))
      return {SystemError{kErrorPathNotFound}, nullptr};
    if (items[name].beingWritten || items[name].readers > 0)
      return {SystemError{kErrorSharingViolation}, nullptr};
    items[name].beingWritten = true;
    return {{}, std::make_unique<Item>(*this, name, Item::kLock)};
  }
  Opened OpenFileToRead(std::u16string_view path) override {
    const auto found = items.find(std::u16string(path));
    if (found != items.end() && found->second.beingWritten)
      return {SystemError{kErrorSharingViolation}, nullptr};
    return Open("OpenFileToRead", path, Item::kRead);
  }
  SystemError ListFiles(std::u16string_view path, std::vector<std::u16string>& names) override {
    if (SystemError failed = Check("ListFiles", path); !failed.ok())
      return failed;
    names.clear();
    if (!items.contains(std::u16string(path)))
      return Missing(path);
    const std::u16string prefix = std::u16string(path) + u'\\';
    for (const auto& [name, item] : items) {
      if (EqualsIgnoringCase(std::u16string_view(name).substr(0, prefix.size()), prefix) &&
          name.find(u'\\', prefix.size()) == std::u16string::npos && !item.folder)
        names.push_back(name.substr(prefix.size()));
    }
    return {};
  }
  SystemError WriteNewFile(std::u16string_view path, std::span<const std::byte> contents) override {
    openAtWrite.push_back(open);
    if (SystemError failed = Check("WriteNewFile", path); !failed.ok())
      return failed;
    if (items.contains(std::u16string(path)))
      return SystemError{kErrorFileExists};
    if (!HasParentFolder(path))
      return SystemError{kErrorPathNotFound};
    FakeItem made = FakeItem::File({contents.begin(), contents.end()});
    made.secured = true;
    items[std::u16string(path)] = made;
    return {};
  }
  BackupStamp LocalTime() override { return {2026, 12, 8, 19, 30, 12}; }
  std::uint64_t Unforeseeable() override { return 0xa1 + draws++; }
  void Pause(std::uint32_t milliseconds) override { pauses.push_back(milliseconds); }

  // The operation `operation` on `path` (any path, when empty) fails so, `times` times (every
  // time, when negative).
  void Fail(std::string operation, std::u16string path, SystemError result, int times = -1) {
    failures[{std::move(operation), std::move(path)}] = {result, times};
  }

  // The files in the backup folder `folder`, by full path.
  std::map<std::u16string, std::vector<std::byte>> Backups(
      std::u16string_view folder = kBackups) const {
    std::map<std::u16string, std::vector<std::byte>> files;
    for (const auto& [name, item] : items) {
      if (name.starts_with(std::u16string(folder) + u'\\') && !item.folder)
        files[name] = item.bytes;
    }
    return files;
  }
  int Calls(const std::string& operation) const {
    return static_cast<int>(std::count_if(calls.begin(), calls.end(), [&](const std::string& call) {
      return call.starts_with(operation + " ");
    }));
  }
  // Another run, which an administrator started, holds the run lock; or, with false, no longer.
  void HoldLockElsewhere(bool held = true) {
    if (!items.contains(std::u16string(kTarnwick))) {
      items[std::u16string(kTarnwick)] = FakeItem::Folder();
      record = u"Tarnwick";
    }
    items.try_emplace(std::u16string(kLock), FakeItem::File());
    items.at(std::u16string(kLock)).beingWritten = held;
  }

  FakeItems items;
  std::u16string record;  // the name RecordFolder last recorded
  VolumePermissions permissions;
  std::vector<std::string> calls;
  std::vector<std::uint32_t> pauses;
  std::vector<std::u16string> waited;  // what Windows would have kept waiting on
  std::vector<int> openAtWrite;        // how many items were open at each WriteNewFile
  int open = 0;                        // items open now
  std::uint64_t draws = 0;

 private:
  class Item final : public OpenItem {
   public:
    enum Use { kEntry, kRead, kLock };  // what it was opened for
    Item(FakeBackupFolderOps& ops, std::u16string path, Use use)
        : ops_(ops), path_(std::move(path)), use_(use) {
      ++ops_.open;
      ops_.items.at(path_).readers += use_ == kRead ? 1 : 0;
    }
    ~Item() override {
      --ops_.open;
      if (auto item = ops_.items.find(path_); item != ops_.items.end()) {
        item->second.beingWritten = item->second.beingWritten && use_ != kLock;
        item->second.readers -= use_ == kRead ? 1 : 0;
      }
    }
    SystemError Facts(ItemFacts& facts) override {
      const FakeItem& item = ops_.items.at(path_);
      facts = {item.folder, item.link};
      return ops_.Check("Facts", path_);
    }
    SystemError OwnerTrusted(bool& trusted) override {
      trusted = ops_.items.at(path_).trusted;
      return ops_.Check("OwnerTrusted", path_);
    }
    SystemError Read(std::size_t limit, std::vector<std::byte>& contents) override {
      if (SystemError failed = ops_.Check("Read", path_); !failed.ok())
        return failed;
      if (use_ == kEntry)
        return SystemError{kErrorAccessDenied};
      const FakeItem& item = ops_.items.at(path_);
      if (item.oplocked)
        ops_.waited.push_back(path_);
      contents.assign(item.bytes.begin(), item.bytes.begin() + std::min(limit, item.bytes.size()));
      return {};
    }

   private:
    FakeBackupFolderOps& ops_;
    std::u16string path_;
    Use use_;
  };

  SystemError Check(const std::string& operation, std::u16string_view path) {
    calls.push_back(operation + " " + std::string(path.begin(), path.end()));
    for (const std::u16string& key : {std::u16string(path), std::u16string()}) {
      if (auto found = failures.find({operation, key});
          found != failures.end() && found->second.second != 0) {
        --found->second.second;
        return found->second.first;
      }
    }
    return {};
  }
  Opened Open(const std::string& operation, std::u16string_view path, Item::Use use) {
    if (SystemError failed = Check(operation, path); !failed.ok())
      return {failed, nullptr};
    const auto found = items.find(std::u16string(path));
    if (found == items.end())
      return {Missing(path), nullptr};
    if (found->second.oplocked && !found->second.folder)
      return {SystemError{kErrorOplockBreakInProgress}, nullptr};
    return {{}, std::make_unique<Item>(*this, std::u16string(path), use)};
  }
  // Windows' code for `path` not being there.
  SystemError Missing(std::u16string_view path) const {
    return SystemError{HasParentFolder(path) ? kErrorFileNotFound : kErrorPathNotFound};
  }
  bool HasParentFolder(std::u16string_view path) const {
    const auto parent = items.find(std::u16string(path.substr(0, path.rfind(u'\\'))));
    return parent != items.end() && parent->second.folder;
  }

  std::map<std::pair<std::string, std::u16string>, std::pair<SystemError, int>> failures;
};

}  // namespace tarnwick::testing
