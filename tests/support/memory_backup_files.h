// BackupFiles in memory: keeps every file it was asked to save, or refuses with a set failure.
// Files are named by kind and by the count of files before them ("C:\Backups\registry-0.reg",
// "C:\Backups\before-undo-1.reg"); the newest is the one saved or planted last.
#pragma once

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "backup/backup_files.h"

namespace tarnwick::testing {

inline constexpr std::u16string_view kMemoryBackupFolder = u"C:\\Backups\\";

class MemoryBackupFiles final : public BackupFiles {
 public:
  SavedFile SaveNew(BackupKind kind, std::span<const std::byte> contents) override {
    if (failure_ != SaveOutcome::kSaved)
      return {failure_, {}, 112};
    return {SaveOutcome::kSaved, Add(kind, {contents.begin(), contents.end()}), 0};
  }
  SavedFile Replace(std::u16string_view path, std::span<const std::byte> contents) override {
    if (failure_ != SaveOutcome::kSaved)
      return {failure_, {}, 112};
    files_[std::u16string(path)].assign(contents.begin(), contents.end());
    ++replacements_;
    return {SaveOutcome::kSaved, std::u16string(path), 0};
  }
  ListedBackups ListNewestFirst() override {
    if (loadFailure_ != LoadOutcome::kLoaded)
      return {loadFailure_, std::u16string(kMemoryBackupFolder), 5, {}};
    return {LoadOutcome::kLoaded,
            std::u16string(kMemoryBackupFolder),
            0,
            {order_.rbegin(), order_.rend()}};
  }
  LoadedFile Load(std::u16string_view path) override {
    if (untrusted_.contains(std::u16string(path)))
      return {LoadOutcome::kFileUntrusted, std::u16string(path), {}, 0};
    return {LoadOutcome::kLoaded, std::u16string(path), files_.at(std::u16string(path)), 0};
  }

  // Every save from now on fails so.
  void Fail(SaveOutcome outcome) { failure_ = outcome; }
  // Every load from now on fails so (status 5); kLoaded loads again.
  void FailLoad(LoadOutcome outcome) { loadFailure_ = outcome; }
  // A file of `kind` holding `contents`, newer than any before it; its path.
  std::u16string Plant(BackupKind kind, std::vector<std::byte> contents) {
    return Add(kind, std::move(contents));
  }
  // The file `path` counts as made by a standard user from now on.
  void MakeUntrusted(const std::u16string& path) { untrusted_.insert(path); }
  const std::map<std::u16string, std::vector<std::byte>>& Files() const { return files_; }
  int Replacements() const { return replacements_; }

 private:
  std::u16string Add(BackupKind kind, std::vector<std::byte> contents) {
    const std::string count = std::to_string(files_.size());
    std::u16string path = std::u16string(kMemoryBackupFolder) +
                          (kind == BackupKind::kUpdate ? u"registry-" : u"before-undo-") +
                          std::u16string(count.begin(), count.end()) + u".reg";
    files_[path] = std::move(contents);
    order_.push_back({kind, path});
    return path;
  }

  std::map<std::u16string, std::vector<std::byte>> files_;
  std::vector<BackupEntry> order_;  // oldest first
  std::set<std::u16string> untrusted_;
  SaveOutcome failure_ = SaveOutcome::kSaved;
  LoadOutcome loadFailure_ = LoadOutcome::kLoaded;
  int replacements_ = 0;
};

}  // namespace tarnwick::testing
