// The backup files: copies of registry values in the secured backup folder (see
// backup_folder.h), registry editor files named after the order in which they were made and, for
// people, the date and time. A run saves each value it is about to change there, in a file of
// its own that is written once and never replaced, renamed or removed; the files can be listed
// newest first and read back. Every save and load first makes the folders safe and keeps them
// open until it is done; files are made with administrators-only security, and a file is
// examined before it is read.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "backup/backup_folder.h"
#include "backup/reg_file.h"
#include "log/message_log.h"

namespace tarnwick {

// The largest backup file the program makes, and reads: an undo reads no larger file.
inline constexpr std::size_t kMaxBackupSize = std::size_t{1} << 20;

struct LoadedFile : BackupResult {
  std::vector<std::byte> contents;
};

struct BackupEntry {
  BackupKind kind = BackupKind::kUpdate;
  std::u16string path;
};

// kDone also when the folder does not exist, with nothing listed.
struct ListedBackups : BackupResult {
  std::vector<BackupEntry> newestFirst;
};

class BackupFiles {
 public:
  explicit BackupFiles(BackupFolderOps& ops) : ops_(ops) {}

  // Writes `contents` to a new file of `kind`, newer than every file in the folder that an
  // administrator made; an existing file is never replaced. Nothing of a file that could not be
  // written whole is left behind. `path` names the file when saved; else what failed.
  BackupResult SaveNew(BackupKind kind, std::span<const std::byte> contents);
  // The backups of both kinds, newest first, by the order their names give (names that do not
  // match the pattern exactly are left out), after the folders were made safe as for saving.
  ListedBackups ListNewestFirst();
  // The file `path` of the listing, read whole, after its folders were made safe and the file
  // itself was found safe: not a link, nobody writing it, and made by an administrator; the
  // names it has do not matter. A file open elsewhere is tried again a few times, a moment
  // apart, before it is reported.
  LoadedFile Load(std::u16string_view path);

 private:
  BackupFolderOps& ops_;
};

// The backups of one run, of one kind: each value the run replaces, as it was stored, in a new
// file of its own, saved before the value is changed.
class RunBackup {
 public:
  RunBackup(BackupFiles& files, BackupKind kind) : files_(files), kind_(kind) {}

  // Saves `value` to a new file and logs its path.
  BackupResult Add(const RegFileValue& value, MessageLog& log);

 private:
  BackupFiles& files_;
  BackupKind kind_;
};

}  // namespace tarnwick
