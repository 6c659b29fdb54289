// Tarnwick's folder and its trust rules: "Backups" in the folder that Tarnwick uses under the
// machine-wide base folder, with the run lock's file beside it. The folder in use is the one
// recorded where only administrators can change it (kFolderRecordPlace): "Tarnwick", which a run
// makes and records where nothing has that name, or, where something has, a folder of a name that
// nobody can have foreseen, "Tarnwick-<16 hexadecimal digits>". Every folder and file is made with
// administrators-only security and never given other security, renamed or removed later;
// whatever else has a name on the way (a folder that anybody else made, a file, a link, something
// that cannot be opened or whose owner cannot be read) is left as it is and not used, and a new
// folder is made in its place and recorded, so that every later run finds the same folder.
// A "Tarnwick" that was there before any record, and that an administrator made (an earlier
// release made it readable to everyone), is not used for anything new, but its backups are still
// listed and read.
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
  kDone,             // saved, listed, loaded or held; `path` names the file or the folder
  kBusy,             // another Tarnwick run held the run lock for the whole wait
  kMissing,          // a folder does not exist and was not to be made: nothing to list or load
  kNoFolder,         // a folder could not be found or made
  kAccessDenied,     // the folder or the file may not be made, written or read
  kDiskFull,         // the disk has no room for it
  kFolderUntrusted,  // what has a folder's name is not used, and each folder made in its
                     // place was not usable either
  kNoRecord,         // the record of the folder in use could not be read or written
  kFileNotSecured,   // the file is a link or is open elsewhere (status 0 for a link), or its
                     // owner is unknown
  kFileUntrusted,    // someone other than an administrator made the file; it is not read
  kUnprotected,      // its volume keeps no permissions, so anyone could have changed it
  kTooLarge,         // the file is, or would be, larger than kMaxBackupSize
  kFailed,           // any other failure
};

// Why what has the name of a folder on the way, or of the run lock's file, is not used.
enum class EntryForm {
  kUntrustedFolder,  // a folder that someone other than an administrator made
  kFile,             // a file where a folder belongs
  kLink,             // a junction, symbolic link or other reparse point
  kUnopenable,       // it could not be opened as itself (held elsewhere, for one); `status` says
                     // why
  kOwnerUnknown,     // its owner could not be read; `status` says why
  kUntrustedFile,    // the lock's file is a folder, or a file that someone other than an
                     // administrator made
  kEarlier,          // "Tarnwick" as an administrator made it before any folder was recorded
};

// An entry that is not used, nor what it points to, and never touched again; `instead` names
// the folder made in its place (empty where none was to be made).
struct NotUsed {
  std::u16string path;
  EntryForm form = EntryForm::kUntrustedFolder;
  SystemError status;
  std::u16string instead = {};
};

struct BackupResult {
  BackupOutcome outcome = BackupOutcome::kFailed;
  std::u16string path;
  SystemError status;
  std::vector<NotUsed> notUsed = {};  // entries left on the way, whatever the outcome
  bool unprotected = false;           // the folder's volume keeps no permissions

  bool ok() const { return outcome == BackupOutcome::kDone; }
};

// What the failed operation `failed` on `path` means, for `reading` a file or for making or
// writing one; `otherwise` where it is none of the failures that BackupOutcome names.
BackupResult Failure(const SystemError& failed, std::u16string path, bool reading,
                     BackupOutcome otherwise = BackupOutcome::kFailed);

// Every folder on the way stays open while this lives. When it is kDone, `path` names the backup
// folder in use (empty where none was to be made and none is there) and `earlier` the backup
// folder of an earlier "Tarnwick" (empty where there is none). `trusted`: what is in them may be
// read back, which is so unless their volume keeps no permissions while the system directory's
// does (then anybody could have changed it).
struct SecuredFolder : BackupResult {
  std::vector<std::unique_ptr<OpenItem>> held;
  std::u16string earlier = {};
  bool trusted = true;
};

// Why the entry `opened` as itself is not to be used as a folder (`folder`) or as a file that an
// administrator made; nothing when it is. `ownerKnown`: this run has just made it, or its volume
// keeps no owners, so its owner is not asked. `status` receives the platform's error code.
std::optional<EntryForm> Distrusted(const Opened& opened, bool folder, bool ownerKnown,
                                    SystemError& status);

// Walks down to the backup folders; `make` says whether missing folders are made and recorded.
// Where an entry on the way is not used, a new folder is made in its place only with `make`.
// `abandoned` (the run lock's file, found not to be usable) is left with its folder in the same
// way.
SecuredFolder SecureBackupFolder(BackupFolderOps& ops, bool make,
                                 const NotUsed* abandoned = nullptr);

}  // namespace tarnwick
