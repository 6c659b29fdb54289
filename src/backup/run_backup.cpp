#include "backup/run_backup.h"

#include "backup/backup_messages.h"

#include <string>

namespace tarnwick {

SavedFile RunBackup::Add(RegFileValue value, MessageLog& log) {
  values_.push_back(std::move(value));
  const std::vector<std::byte> contents = RegFileBytes(RegFileText(values_));
  // A backup that no undo would read saves nothing, so the value it was for is not changed.
  SavedFile saved = contents.size() > kMaxBackupSize ? SavedFile{SaveOutcome::kTooLarge, path_, 0}
                    : path_.empty()                  ? files_.SaveNew(kind_, contents)
                                                     : files_.Replace(path_, contents);
  for (const MovedAside& moved : saved.movedAside)
    log.LogMessage(MovedAsideMessage(moved));
  if (!saved.ok()) {
    values_.pop_back();
    return saved;
  }
  if (path_.empty()) {
    path_ = saved.path;
    log.LogMessage(u"Backup saved to: " + path_);
  }
  return saved;
}

}  // namespace tarnwick
