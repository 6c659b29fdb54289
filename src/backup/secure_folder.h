// The backup folder made safe before anything in it is written or read: "Tarnwick\Backups"
// under the machine-wide base folder, each folder made with administrators-only security or,
// when something of its name was there already, opened as itself, never through a link. A
// folder that an administrator made gets that security's DACL through its handle. Whatever else
// has the name (a folder that anybody else made, a file, a link, something that cannot be
// opened or whose owner cannot be read) is renamed aside, never opened through or followed, and
// a new folder made, so that no handle opened before can still reach it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "backup/backup_folder_ops.h"

namespace tarnwick {

enum class FolderOutcome {
  kSecured,       // `path` names the backup folder
  kMissing,       // a folder does not exist and was not to be made; `path` names it
  kNoFolder,      // a folder could not be found or made; `path` names it
  kAccessDenied,  // a folder could not be made for want of rights
  kDiskFull,      // a folder could not be made for want of room
  kNotSecured,    // the DACL of `path`, a folder that an administrator made, could not be set
  kUntrusted,     // `path` is not a folder that an administrator made, and it could not be moved
                  // aside
};

// Every folder on the way stays open, and so in place, while this lives.
struct SecuredFolder {
  FolderOutcome outcome = FolderOutcome::kNoFolder;
  std::u16string path;
  std::uint32_t status = 0;  // the platform's error code, when it failed
  std::vector<std::unique_ptr<OpenItem>> held;
  std::vector<MovedAside> movedAside = {};  // also when the walk failed later

  bool ok() const { return outcome == FolderOutcome::kSecured; }
};

// Walks down to the backup folder; `make` says whether missing folders are made. A folder
// moved aside is made anew only with `make`; without, the walk ends there as kMissing.
SecuredFolder SecureBackupFolder(BackupFolderOps& ops, bool make);

// Renames the entry `path` itself to "<path>.untrusted-<stamp>" (with "-n" from 2 on when that
// is taken); `aside` receives the new name.
FsResult MoveAside(BackupFolderOps& ops, const std::u16string& path, std::u16string& aside);

}  // namespace tarnwick
