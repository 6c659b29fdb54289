// BackupFolderOps over folders and files in memory, keyed by full path. Any operation can be
// made to fail on a path; every call is recorded as "<operation> <path>", and the items open
// at each write are counted. As on Windows, the lock file opens for one holder at a time, and
// a rename does not look at what an entry is.
#pragma once

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "backup/backup_folder_ops.h"

namespace tarnwick::testing {

struct FakeItem {
  bool folder = false;
  bool link = false;
  std::uint32_t names = 1;
  bool secured = false;
  bool beingWritten = false;  // open for writing elsewhere, or here as the lock
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
  FakeItem& Secured() {
    secured = true;
    return *this;
  }
  // Made by a standard user.
  FakeItem& Planted() {
    trusted = false;
    return *this;
  }
};

class FakeBackupFolderOps final : public BackupFolderOps {
 public:
  static constexpr std::u16string_view kBase = u"C:\\ProgramData";
  static constexpr std::u16string_view kTarnwick = u"C:\\ProgramData\\Tarnwick";
  static constexpr std::u16string_view kBackups = u"C:\\ProgramData\\Tarnwick\\Backups";
  static constexpr std::u16string_view kLock = u"C:\\ProgramData\\Tarnwick\\run.lock";

  // The backup file that `name` ("registry-000001") begins, made at LocalTime().
  static std::u16string BackupPath(std::u16string_view name) {
    return std::u16string(kBackups) + u'\\' + std::u16string(name) + u"-2026-12-08_193012.reg";
  }

  FakeBackupFolderOps() { items[std::u16string(kBase)] = FakeItem::Folder(); }

  FsResult BaseFolder(std::u16string& path) override {
    path = kBase;
    return Check("BaseFolder", u"");
  }
  FsResult MakeFolder(std::u16string_view path) override {
    if (FsResult failed = Check("MakeFolder", path); !failed.ok())
      return failed;
    if (items.contains(std::u16string(path)))
      return {FsError::kExists, 183};
    if (!HasParentFolder(path))
      return {FsError::kNotFound, 3};
    items[std::u16string(path)] = FakeItem::Folder().Secured();
    return {};
  }
  Opened OpenFolder(std::u16string_view path) override { return Open("OpenFolder", path); }
  Opened OpenLockFile(std::u16string_view path) override {
    if (FsResult failed = Check("OpenLockFile", path); !failed.ok())
      return {failed, nullptr};
    const std::u16string name(path);
    if (!items.contains(name) && HasParentFolder(path))
      items[name] = FakeItem::File().Secured();
    if (!items.contains(name))
      return {{FsError::kNotFound, 3}, nullptr};
    if (items[name].beingWritten)
      return {{FsError::kInUse, 32}, nullptr};
    items[name].beingWritten = true;
    return {{}, std::make_unique<Item>(*this, name, true)};
  }
  Opened OpenFileToLoad(std::u16string_view path) override {
    const auto found = items.find(std::u16string(path));
    if (found != items.end() && found->second.beingWritten)
      return {{FsError::kInUse, 32}, nullptr};
    return Open("OpenFileToLoad", path);
  }
  FsResult ListFiles(std::u16string_view path, std::vector<std::u16string>& names) override {
    if (FsResult failed = Check("ListFiles", path); !failed.ok())
      return failed;
    const std::u16string prefix = std::u16string(path) + u'\\';
    for (const auto& [name, item] : items) {
      if (name.starts_with(prefix) && name.find(u'\\', prefix.size()) == std::u16string::npos &&
          !item.folder)
        names.push_back(name.substr(prefix.size()));
    }
    return {};
  }
  FsResult WriteNewFile(std::u16string_view path, std::span<const std::byte> contents) override {
    openAtWrite.push_back(open);
    if (FsResult failed = Check("WriteNewFile", path); !failed.ok())
      return failed;
    if (items.contains(std::u16string(path)))
      return {FsError::kExists, 80};
    items[std::u16string(path)] = FakeItem::File({contents.begin(), contents.end()}).Secured();
    return {};
  }
  FsResult Remove(std::u16string_view path) override {
    if (FsResult failed = Check("Remove", path); !failed.ok())
      return failed;
    return items.erase(std::u16string(path)) == 1 ? FsResult{} : FsResult{FsError::kNotFound, 2};
  }
  FsResult MoveOver(std::u16string_view from, std::u16string_view to) override {
    if (FsResult failed = Check("MoveOver", to); !failed.ok())
      return failed;
    auto node = items.extract(std::u16string(from));
    if (node.empty())
      return {FsError::kNotFound, 2};
    items[std::u16string(to)] = std::move(node.mapped());
    return {};
  }
  FsResult Rename(std::u16string_view from, std::u16string_view to) override {
    if (FsResult failed = Check("Rename", from); !failed.ok())
      return failed;
    if (auto found = items.find(std::u16string(from));
        found != items.end() && found->second.beingWritten)
      return {FsError::kInUse, 32};  // open without FILE_SHARE_DELETE
    if (items.contains(std::u16string(to)))
      return {FsError::kExists, 183};
    // The item and everything below it.
    std::map<std::u16string, FakeItem> moved;
    for (auto it = items.begin(); it != items.end();) {
      const std::u16string& name = it->first;
      if (name == from || name.starts_with(std::u16string(from) + u'\\')) {
        moved[std::u16string(to) + name.substr(from.size())] = std::move(it->second);
        it = items.erase(it);
      } else {
        ++it;
      }
    }
    if (moved.empty())
      return {FsError::kNotFound, 2};
    items.merge(moved);
    return {};
  }
  BackupStamp LocalTime() override { return {2026, 12, 8, 19, 30, 12}; }
  void Pause(std::uint32_t milliseconds) override { pauses.push_back(milliseconds); }

  // The operation `operation` on `path` (any path, when empty) fails so, `times` times (every
  // time, when negative).
  void Fail(std::string operation, std::u16string path, FsResult result, int times = -1) {
    failures[{std::move(operation), std::move(path)}] = {result, times};
  }

  // The files in the backup folder, by full path.
  std::map<std::u16string, std::vector<std::byte>> Backups() const {
    std::map<std::u16string, std::vector<std::byte>> files;
    for (const auto& [name, item] : items) {
      if (name.starts_with(std::u16string(kBackups) + u'\\') && !item.folder)
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
    items.try_emplace(std::u16string(kTarnwick), FakeItem::Folder());
    items.try_emplace(std::u16string(kLock), FakeItem::File());
    items.at(std::u16string(kLock)).beingWritten = held;
  }

  std::map<std::u16string, FakeItem> items;
  std::vector<std::string> calls;
  std::vector<std::uint32_t> pauses;
  std::vector<int> openAtWrite;  // how many items were open at each WriteNewFile
  int open = 0;                  // items open now

 private:
  class Item final : public OpenItem {
   public:
    Item(FakeBackupFolderOps& ops, std::u16string path, bool exclusive = false)
        : ops_(ops), path_(std::move(path)), exclusive_(exclusive) {
      ++ops_.open;
    }
    ~Item() override {
      --ops_.open;
      if (auto item = ops_.items.find(path_); exclusive_ && item != ops_.items.end())
        item->second.beingWritten = false;
    }
    FsResult Facts(ItemFacts& facts) override {
      const FakeItem& item = ops_.items.at(path_);
      facts = {item.folder, item.link, item.names};
      return ops_.Check("Facts", path_);
    }
    FsResult OwnerTrusted(bool& trusted) override {
      trusted = ops_.items.at(path_).trusted;
      return ops_.Check("OwnerTrusted", path_);
    }
    FsResult MakeAdminOnly() override {
      if (FsResult failed = ops_.Check("MakeAdminOnly", path_); !failed.ok())
        return failed;
      ops_.items.at(path_).secured = true;
      return {};
    }
    FsResult Read(std::size_t limit, std::vector<std::byte>& contents) override {
      if (FsResult failed = ops_.Check("Read", path_); !failed.ok())
        return failed;
      const std::vector<std::byte>& bytes = ops_.items.at(path_).bytes;
      contents.assign(bytes.begin(), bytes.begin() + std::min(limit, bytes.size()));
      return {};
    }

   private:
    FakeBackupFolderOps& ops_;
    std::u16string path_;
    bool exclusive_;
  };

  FsResult Check(const std::string& operation, std::u16string_view path) {
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
  Opened Open(const std::string& operation, std::u16string_view path) {
    if (FsResult failed = Check(operation, path); !failed.ok())
      return {failed, nullptr};
    if (!items.contains(std::u16string(path)))
      return {{FsError::kNotFound, 2}, nullptr};
    return {{}, std::make_unique<Item>(*this, std::u16string(path))};
  }
  bool HasParentFolder(std::u16string_view path) const {
    const auto parent = items.find(std::u16string(path.substr(0, path.rfind(u'\\'))));
    return parent != items.end() && parent->second.folder;
  }

  std::map<std::pair<std::string, std::u16string>, std::pair<FsResult, int>> failures;
};

}  // namespace tarnwick::testing
