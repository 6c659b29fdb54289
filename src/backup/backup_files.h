// The backup files: copies of registry values in the secured backup folder (see
// backup_folder.h), registry editor files named after the order in which they were made and, for
// people, the date and time. A run saves the values it is about to change there, and may replace
// that file with a longer copy before its next change; the files can be listed newest first and
// read back. Every save, replacement and load first makes the folders safe and keeps them open
// until it is done; files are made with administrators-only security, and a file is made safe as
// well before it is read.
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
  // Replaces the file that SaveNew made with `contents`; the earlier contents stay in place
  // until the new ones are written whole.
  BackupResult Replace(std::u16string_view path, std::span<const std::byte> contents);
  // The backups of both kinds, newest first, by the order their names give (names that do not
  // match the pattern exactly are left out), after the folders were made safe as for saving.
  ListedBackups ListNewestFirst();
  // The file `path` of the listing, read whole, after its folders were made safe and the file
  // itself was found safe: not a link, no other names, nobody writing it, and made by an
  // administrator.
  LoadedFile Load(std::u16string_view path);

 private:
  BackupFolderOps& ops_;
};

// The backup file of one run: made before the run's first change, and grown by each further one,
// so that it holds every value the run replaced, as it was stored.
class RunBackup {
 public:
  RunBackup(BackupFiles& files, BackupKind kind) : files_(files), kind_(kind) {}

  // Saves `value` with those saved before it; logs the file's path when it is first made.
  BackupResult Add(RegFileValue value, MessageLog& log);

 private:
  BackupFiles& files_;
  BackupKind kind_;
  std::vector<RegFileValue> values_;
  std::u16string path_;
};

}  // namespace tarnwick
