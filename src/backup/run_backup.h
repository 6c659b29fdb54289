// The backup file of one run: made before the run's first change, and grown by each further one,
// so that it holds every value the run replaced, as it was stored.
#pragma once

#include <string>
#include <vector>

#include "backup/backup_files.h"
#include "backup/reg_file.h"
#include "log/message_log.h"

namespace tarnwick {

// The log line for an entry that took the name of a folder on the way, or of the run lock's
// file: why it is not used, and where it was renamed to.
std::u16string MovedAsideMessage(const MovedAside& moved);

class RunBackup {
 public:
  RunBackup(BackupFiles& files, BackupKind kind) : files_(files), kind_(kind) {}

  // Saves `value` with those saved before it; logs the file's path when it is first made.
  SavedFile Add(RegFileValue value, MessageLog& log);

 private:
  BackupFiles& files_;
  BackupKind kind_;
  std::vector<RegFileValue> values_;
  std::u16string path_;
};

}  // namespace tarnwick
