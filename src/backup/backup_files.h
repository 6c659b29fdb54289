// Where the program keeps copies of registry values: one machine-wide folder that only
// administrators can change, holding registry editor files named after the order in which they
// were made and, for people, the date and time. A run saves the values it is about to change
// there, and may replace that file with a longer copy before its next change; the files can be
// listed newest first and read back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system_error.h"

namespace tarnwick {

// Which file: "registry-<n>-<stamp>.reg" (saved before an update) or
// "before-undo-<n>-<stamp>.reg" (saved before an undo), where <n> is one above the highest in
// the folder, of either kind, and <stamp> the local "YYYY-MM-DD_HHMMSS" (see backup_names.h).
enum class BackupKind { kUpdate, kBeforeUndo };

// The largest backup file the program makes, and reads: an undo reads no larger file.
inline constexpr std::size_t kMaxBackupSize = std::size_t{1} << 20;

enum class SaveOutcome {
  kSaved,             // written, flushed and closed; `path` names the file
  kNoFolder,          // the backup folder could not be found or made
  kAccessDenied,      // the folder or the file may not be written
  kDiskFull,          // the disk has no room for it
  kFolderNotSecured,  // the folder's permissions could not be set; `path` names it, `status`
                      // says why
  kFolderUntrusted,   // what has a folder's name is not a folder that an administrator made,
                      // and it could not be moved aside; `path` names it, `status` says why
  kTooLarge,          // the file would be larger than kMaxBackupSize; nothing was written
  kFailed,            // any other failure; `status` holds the platform's error code
};

// Why what has the name of a folder on the way, or of the run lock's file, is not used.
enum class EntryForm {
  kUntrustedFolder,  // a folder that someone other than an administrator made
  kFile,             // a file where a folder belongs
  kLink,             // a junction, symbolic link or other reparse point
  kUnopenable,       // it could not be opened as itself; `status` says why
  kOwnerUnknown,     // its owner could not be read; `status` says why
  kUntrustedFile,    // a file that someone other than an administrator made
};

// An entry renamed so that it is not used, nor what it points to; a new one is made in its place.
struct MovedAside {
  std::u16string from;
  std::u16string to;
  EntryForm form = EntryForm::kUntrustedFolder;
  SystemError status;
};

struct SavedFile {
  SaveOutcome outcome = SaveOutcome::kFailed;
  std::u16string path;  // the file's full path when saved; the folder's, as said above
  SystemError status;   // the platform's error code, when not saved
  std::vector<MovedAside> movedAside = {};

  bool ok() const { return outcome == SaveOutcome::kSaved; }
};

enum class LoadOutcome {
  kLoaded,            // `path` and `contents` hold the file
  kNone,              // there is no file of that kind (also when the folder does not exist)
  kFolderNotSecured,  // as for saving; `path` names the folder, `status` says why
  kFolderUntrusted,   // as for saving
  kFileNotSecured,    // the file is a link, has other names (hard links) or is open for writing
                      // elsewhere; `path` names it, `status` holds the platform's error code (0
                      // for a link or other names)
  kFileUntrusted,     // someone other than an administrator made the file; it is not read
  kAccessDenied,      // the folder or the file may not be read
  kTooLarge,          // the file is larger than any backup the program makes; `path` names it
  kFailed,            // any other failure; `status` holds the platform's error code
};

struct LoadedFile {
  LoadOutcome outcome = LoadOutcome::kFailed;
  std::u16string path;
  std::vector<std::byte> contents;
  SystemError status;

  bool ok() const { return outcome == LoadOutcome::kLoaded; }
};

struct BackupEntry {
  BackupKind kind = BackupKind::kUpdate;
  std::u16string path;
};

struct ListedBackups {
  LoadOutcome outcome = LoadOutcome::kFailed;  // kLoaded when listed; failures as for a load
  std::u16string path;
  SystemError status;
  std::vector<BackupEntry> newestFirst;  // empty also when the folder does not exist
  std::vector<MovedAside> movedAside = {};

  bool ok() const { return outcome == LoadOutcome::kLoaded; }
};

class BackupFiles {
 public:
  virtual ~BackupFiles() = default;
  // Writes `contents` to a new file of `kind`, newer than every file in the folder that an
  // administrator made; an existing file is never replaced. Nothing of a file that could not be
  // written whole is left behind.
  virtual SavedFile SaveNew(BackupKind kind, std::span<const std::byte> contents) = 0;
  // Replaces the file that SaveNew made with `contents`; the earlier contents stay in place
  // until the new ones are written whole.
  virtual SavedFile Replace(std::u16string_view path, std::span<const std::byte> contents) = 0;
  // The backups of both kinds, newest first, by the order their names give (names that do not
  // match the pattern exactly are left out), after the folders were made safe as for saving.
  virtual ListedBackups ListNewestFirst() = 0;
  // The file `path` of the listing, read whole, after its folders were made safe and the file
  // itself was found safe: not a link, no other names, nobody writing it, and made by an
  // administrator.
  virtual LoadedFile Load(std::u16string_view path) = 0;
};

}  // namespace tarnwick
