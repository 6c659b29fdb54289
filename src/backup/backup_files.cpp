#include "backup/backup_files.h"

#include <algorithm>
#include <optional>

#include "backup/backup_messages.h"

namespace tarnwick {
namespace {

// Names tried, each one further on, when a name is taken meanwhile.
constexpr int kMaxTries = 16;
// Windows' ERROR_FILE_EXISTS: the folder holds a file of the highest sequence number already.
constexpr std::uint32_t kFileExists = 80;
// Windows' ERROR_INVALID_PARAMETER: a file to replace that is not in the backup folder.
constexpr std::uint32_t kInvalidParameter = 87;

LoadedFile LoadFailure(BackupOutcome outcome, std::u16string path, SystemError status) {
  return {{outcome, std::move(path), std::move(status)}, {}};
}

struct NamedBackup {
  BackupName name;
  BackupKind kind;
  std::u16string file;
};

// The backups among `names`, newest first.
std::vector<NamedBackup> Backups(const std::vector<std::u16string>& names) {
  std::vector<NamedBackup> backups;
  for (const std::u16string& name : names) {
    for (BackupKind kind : {BackupKind::kUpdate, BackupKind::kBeforeUndo}) {
      if (std::optional<BackupName> parsed = ParseBackupFileName(kind, name))
        backups.push_back({*parsed, kind, name});
    }
  }
  std::sort(backups.begin(), backups.end(),
            [](const NamedBackup& a, const NamedBackup& b) { return a.name > b.name; });
  return backups;
}

}  // namespace

BackupResult BackupFiles::SaveNew(BackupKind kind, std::span<const std::byte> contents) {
  SecuredFolder folder = SecureBackupFolder(ops_, true);
  auto with = [&](BackupResult result) {
    result.movedAside = std::move(folder.movedAside);
    return result;
  };
  if (!folder.ok())
    return folder;
  std::vector<std::u16string> names;
  if (FsResult listed = ops_.ListFiles(folder.path, names); !listed.ok())
    return with(Failure(listed, folder.path, false));
  // One above the newest that an administrator made: a planted name cannot use up the numbers.
  std::uint32_t sequence = 1;
  for (const NamedBackup& backup : Backups(names)) {
    // An owner that cannot be read, or a file that cannot be opened, counts as not.
    Opened opened = ops_.OpenFileToLoad(folder.path + u'\\' + backup.file);
    bool trusted = false;
    if (opened.result.ok() && opened.item->OwnerTrusted(trusted).ok() && trusted) {
      sequence = backup.name.sequence + 1;
      break;
    }
  }
  const BackupStamp now = ops_.LocalTime();
  FsResult written = {FsError::kExists, kFileExists};
  for (int tries = 0; tries < kMaxTries && sequence <= kMaxBackupSequence; ++tries, ++sequence) {
    std::u16string path = folder.path + u'\\' + BackupFileName(kind, sequence, now);
    written = ops_.WriteNewFile(path, contents);
    if (written.ok())
      return with({BackupOutcome::kDone, std::move(path), 0});
    if (written.error != FsError::kExists)
      break;
  }
  return with(Failure(written, folder.path, false));
}

BackupResult BackupFiles::Replace(std::u16string_view path, std::span<const std::byte> contents) {
  SecuredFolder folder = SecureBackupFolder(ops_, true);
  if (!folder.ok())
    return folder;
  const std::size_t slash = path.rfind(u'\\');
  if (slash == std::u16string_view::npos || path.substr(0, slash) != folder.path ||
      slash + 1 == path.size())
    return {BackupOutcome::kFailed, std::u16string(path), kInvalidParameter};
  // A name left over from an earlier run, or planted before the folder was secured, may be a
  // link: it is removed, never written through.
  const std::u16string next = std::u16string(path) + u".new";
  if (FsResult removed = ops_.Remove(next); !removed.ok() && removed.error != FsError::kNotFound)
    return Failure(removed, std::u16string(path), false);
  if (FsResult written = ops_.WriteNewFile(next, contents); !written.ok())
    return Failure(written, std::u16string(path), false);
  if (FsResult moved = ops_.MoveOver(next, path); !moved.ok()) {
    ops_.Remove(next);
    return Failure(moved, std::u16string(path), false);
  }
  return {BackupOutcome::kDone, std::u16string(path), 0};
}

ListedBackups BackupFiles::ListNewestFirst() {
  SecuredFolder folder = SecureBackupFolder(ops_, false);
  std::vector<std::u16string> names;
  FsResult listed;
  if (folder.ok())
    listed = ops_.ListFiles(folder.path, names);
  ListedBackups listing{{folder.outcome, folder.path, folder.status, std::move(folder.movedAside)},
                        {}};
  if (folder.outcome == BackupOutcome::kMissing || listed.error == FsError::kNotFound) {
    listing.outcome = BackupOutcome::kDone;  // no folder: nothing to list
  } else if (!listed.ok()) {
    listing.outcome = Failure(listed, {}, true).outcome;
    listing.status = listed.code;
  }
  for (const NamedBackup& backup : Backups(names))
    listing.newestFirst.push_back({backup.kind, folder.path + u'\\' + backup.file});
  return listing;
}

LoadedFile BackupFiles::Load(std::u16string_view file) {
  const SecuredFolder folder = SecureBackupFolder(ops_, false);
  // A folder that is gone since it was listed took the file with it.
  if (folder.outcome == BackupOutcome::kMissing)
    return LoadFailure(BackupOutcome::kFailed, std::u16string(file), folder.status);
  if (!folder.ok())
    return LoadFailure(folder.outcome, folder.path, folder.status);
  std::u16string path(file);
  const std::size_t slash = path.rfind(u'\\');
  if (slash == std::u16string::npos || path.substr(0, slash) != folder.path)
    return LoadFailure(BackupOutcome::kFailed, std::move(path), kInvalidParameter);

  Opened opened = ops_.OpenFileToLoad(path);
  if (!opened.result.ok())
    return {Failure(opened.result, std::move(path), true), {}};
  ItemFacts facts;
  if (FsResult examined = opened.item->Facts(facts); !examined.ok())
    return {Failure(examined, std::move(path), true), {}};
  if (facts.link || facts.folder || facts.names != 1)
    return LoadFailure(BackupOutcome::kFileNotSecured, std::move(path), 0);
  bool trusted = false;
  if (FsResult owner = opened.item->OwnerTrusted(trusted); !owner.ok())
    return LoadFailure(BackupOutcome::kFileNotSecured, std::move(path), owner.code);
  if (!trusted)
    return LoadFailure(BackupOutcome::kFileUntrusted, std::move(path), 0);

  LoadedFile loaded = LoadFailure(BackupOutcome::kDone, std::move(path), 0);
  if (FsResult read = opened.item->Read(kMaxBackupSize + 1, loaded.contents); !read.ok())
    return {Failure(read, std::move(loaded.path), true), {}};
  if (loaded.contents.size() > kMaxBackupSize)
    return LoadFailure(BackupOutcome::kTooLarge, std::move(loaded.path), 0);
  return loaded;
}

BackupResult RunBackup::Add(RegFileValue value, MessageLog& log) {
  values_.push_back(std::move(value));
  const std::vector<std::byte> contents = RegFileBytes(RegFileText(values_));
  // A backup that no undo would read saves nothing, so the value it was for is not changed.
  BackupResult saved = contents.size() > kMaxBackupSize
                           ? BackupResult{BackupOutcome::kTooLarge, path_, 0}
                       : path_.empty() ? files_.SaveNew(kind_, contents)
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
