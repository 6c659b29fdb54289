#include "backup/run_backup.h"

#include <string>

namespace tarnwick {

std::u16string MovedAsideMessage(const MovedAside& moved) {
  const std::string digits = std::to_string(moved.status);
  const std::u16string error = u" (error " + std::u16string(digits.begin(), digits.end()) + u")";
  std::u16string what;
  switch (moved.form) {
    case EntryForm::kUntrustedFolder:
      what = u"The folder " + moved.from + u" was not made by an administrator";
      break;
    case EntryForm::kFile:
      what = moved.from + u" is a file where a folder belongs";
      break;
    case EntryForm::kLink:
      what = moved.from + u" is a junction or link to another place";
      break;
    case EntryForm::kUnopenable:
      what = moved.from + u" could not be opened" + error;
      break;
    case EntryForm::kOwnerUnknown:
      what = u"The owner of " + moved.from + u" could not be read" + error;
      break;
    case EntryForm::kUntrustedFile:
      what = u"The file " + moved.from + u" was not made by an administrator";
      break;
  }
  return what + u", so it is not used: it was moved aside to " + moved.to + u".";
}

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
