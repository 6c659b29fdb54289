// BackupFiles in memory: keeps every file it was asked to save, or refuses with a set failure.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "platform/backup_files.h"

namespace tarnwick::testing {

inline constexpr std::u16string_view kMemoryBackupFolder = u"C:\\Backups\\";

class MemoryBackupFiles final : public BackupFiles {
 public:
  SavedFile SaveNew(std::span<const std::byte> contents) override {
    if (failure_ != SaveOutcome::kSaved)
      return {failure_, {}, 112};
    std::u16string path = std::u16string(kMemoryBackupFolder) + u"registry-" +
                          std::u16string(1, static_cast<char16_t>(u'0' + files_.size())) + u".reg";
    files_[path].assign(contents.begin(), contents.end());
    return {SaveOutcome::kSaved, path, 0};
  }
  SavedFile Replace(std::u16string_view path, std::span<const std::byte> contents) override {
    if (failure_ != SaveOutcome::kSaved)
      return {failure_, {}, 112};
    files_[std::u16string(path)].assign(contents.begin(), contents.end());
    ++replacements_;
    return {SaveOutcome::kSaved, std::u16string(path), 0};
  }

  // Every save from now on fails so.
  void Fail(SaveOutcome outcome) { failure_ = outcome; }
  const std::map<std::u16string, std::vector<std::byte>>& Files() const { return files_; }
  int Replacements() const { return replacements_; }

 private:
  std::map<std::u16string, std::vector<std::byte>> files_;
  SaveOutcome failure_ = SaveOutcome::kSaved;
  int replacements_ = 0;
};

}  // namespace tarnwick::testing
