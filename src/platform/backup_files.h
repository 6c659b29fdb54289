// Where a run keeps the copy of the values it is about to change: one new file per run in the
// user's backup folder, which the run may replace with a longer copy before its next change.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tarnwick {

// Which file: "registry-<stamp>.reg" (saved before an update) or "before-undo-<stamp>.reg"
// (saved before an undo), where <stamp> is "YYYY-MM-DD_HHMMSS", followed by "-n" (n from 2 on)
// when a file of that name already exists.
enum class BackupKind { kUpdate, kBeforeUndo };

enum class SaveOutcome {
  kSaved,         // written, flushed and closed; `path` names the file
  kNoFolder,      // the backup folder could not be found or made
  kAccessDenied,  // the folder or the file may not be written
  kDiskFull,      // the disk has no room for it
  kFailed,        // any other failure; `status` holds the platform's error code
};

struct SavedFile {
  SaveOutcome outcome = SaveOutcome::kFailed;
  std::u16string path;       // the file's full path, when saved
  std::uint32_t status = 0;  // the platform's error code, when not

  bool ok() const { return outcome == SaveOutcome::kSaved; }
};

class BackupFiles {
 public:
  virtual ~BackupFiles() = default;
  // Writes `contents` to a new file named after the current date and time; an existing file
  // is never replaced. Nothing of a file that could not be written whole is left behind.
  virtual SavedFile SaveNew(std::span<const std::byte> contents) = 0;
  // Replaces the file that SaveNew made with `contents`; the earlier contents stay in place
  // until the new ones are written whole.
  virtual SavedFile Replace(std::u16string_view path, std::span<const std::byte> contents) = 0;
};

}  // namespace tarnwick
