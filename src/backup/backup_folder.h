// The backup folder and its trust rules: "Tarnwick\Backups" under the machine-wide base folder,
// made safe before anything in it is written or read. Each folder is made with
// administrators-only security or, when something of its name was there already, opened as
// itself, never through a link. A folder that an administrator made gets that security's DACL
// through its handle. Whatever else has the name (a folder that anybody else made, a file, a
// link, something that cannot be opened or whose owner cannot be read) is renamed aside, never
// opened through or followed, and a new folder made, so that no handle opened before can still
// reach it.
// Also the one vocabulary in which the backup keeping and the run lock report what happened.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "backup/backup_folder_ops.h"

namespace tarnwick {

// How a save, a listing, a load or the run lock ended. `path` names what failed (empty only
// where the machine-wide base folder itself could not be found) and `status` gives the
// platform's code for it.
enum class BackupOutcome {
  kDone,              // saved, listed, loaded or held; `path` names the file or the folder
  kBusy,              // another Tarnwick run held the run lock for the whole wait
  kMissing,           // a folder does not exist and was not to be made: nothing to list or load
  kNoFolder,          // a folder could not be found or made
  kAccessDenied,      // the folder or the file may not be made, written or read
  kDiskFull,          // the disk has no room for it
  kFolderNotSecured,  // the DACL of the folder, which an administrator made, could not be set
  kFolderUntrusted,   // what has a folder's name is not a folder that an administrator made,
                      // and it could not be moved aside
  kFileNotSecured,    // the file is a link, has other names (hard links) or is open for writing
                      // elsewhere (status 0 for a link or other names), or its owner is unknown
  kFileUntrusted,     // someone other than an administrator made the file; it is not read (the
                      // run lock's: and it could not be moved aside)
  kTooLarge,          // the file is, or would be, larger than kMaxBackupSize
  kFailed,            // any other failure
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

struct BackupResult {
  BackupOutcome outcome = BackupOutcome::kFailed;
  std::u16string path;
  SystemError status;
  std::vector<MovedAside> movedAside = {};  // entries renamed on the way, whatever the outcome

  bool ok() const { return outcome == BackupOutcome::kDone; }
};

// What the failed operation `failed` on `path` means, for `reading` a file or for making or
// writing one.
BackupResult Failure(const FsResult& failed, std::u16string path, bool reading);

// Every folder on the way stays open, and so in place, while this lives; `path` names the
// backup folder when it is kDone.
struct SecuredFolder : BackupResult {
  std::vector<std::unique_ptr<OpenItem>> held;
};

// Why the entry `opened` as itself is not to be used as a folder (`folder`) or as a file of one
// name that an administrator made; nothing when it is. `made`: this run has just made it, so its
// owner is known. `status` receives the platform's error code.
std::optional<EntryForm> Distrusted(const Opened& opened, bool folder, bool made,
                                    SystemError& status);

// Walks down to the backup folder; `make` says whether missing folders are made. A folder
// moved aside is made anew only with `make`; without, the walk ends there as kMissing.
SecuredFolder SecureBackupFolder(BackupFolderOps& ops, bool make);

// Renames the entry `path` itself to "<path>.untrusted-<stamp>" (with "-n" from 2 on when that
// is taken); `aside` receives the new name.
FsResult MoveAside(BackupFolderOps& ops, const std::u16string& path, std::u16string& aside);

}  // namespace tarnwick
