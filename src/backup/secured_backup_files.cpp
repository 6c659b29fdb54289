#include "backup/secured_backup_files.h"

#include <algorithm>
#include <optional>

#include "backup/secure_folder.h"

namespace tarnwick {
namespace {

// Names tried, each one further on, when a name is taken meanwhile.
constexpr int kMaxTries = 16;
// Windows' ERROR_FILE_EXISTS: the folder holds a file of the highest sequence number already.
constexpr std::uint32_t kFileExists = 80;
// Windows' ERROR_INVALID_PARAMETER: a file to replace that is not in the backup folder.
constexpr std::uint32_t kInvalidParameter = 87;

SavedFile SaveFailure(const FsResult& result) {
  switch (result.error) {
    case FsError::kAccessDenied:
    case FsError::kInUse:
      return {SaveOutcome::kAccessDenied, {}, result.code};
    case FsError::kDiskFull:
      return {SaveOutcome::kDiskFull, {}, result.code};
    case FsError::kNotFound:
      return {SaveOutcome::kNoFolder, {}, result.code};
    default:
      return {SaveOutcome::kFailed, {}, result.code};
  }
}

SavedFile SaveFailure(const SecuredFolder& folder) {
  switch (folder.outcome) {
    case FolderOutcome::kAccessDenied:
      return {SaveOutcome::kAccessDenied, folder.path, folder.status};
    case FolderOutcome::kDiskFull:
      return {SaveOutcome::kDiskFull, folder.path, folder.status};
    case FolderOutcome::kNotSecured:
      return {SaveOutcome::kFolderNotSecured, folder.path, folder.status};
    case FolderOutcome::kUntrusted:
      return {SaveOutcome::kFolderUntrusted, folder.path, folder.status};
    default:
      return {SaveOutcome::kNoFolder, folder.path, folder.status};
  }
}

LoadedFile LoadFailure(LoadOutcome outcome, std::u16string path, std::uint32_t status) {
  return {outcome, std::move(path), {}, status};
}

LoadedFile LoadFailure(const FsResult& result, std::u16string path) {
  switch (result.error) {
    case FsError::kAccessDenied:
      return LoadFailure(LoadOutcome::kAccessDenied, std::move(path), result.code);
    case FsError::kInUse:
      return LoadFailure(LoadOutcome::kFileNotSecured, std::move(path), result.code);
    default:
      return LoadFailure(LoadOutcome::kFailed, std::move(path), result.code);
  }
}

LoadedFile LoadFailure(const SecuredFolder& folder) {
  switch (folder.outcome) {
    case FolderOutcome::kMissing:
      return LoadFailure(LoadOutcome::kNone, {}, 0);
    case FolderOutcome::kNotSecured:
      return LoadFailure(LoadOutcome::kFolderNotSecured, folder.path, folder.status);
    case FolderOutcome::kUntrusted:
      return LoadFailure(LoadOutcome::kFolderUntrusted, folder.path, folder.status);
    case FolderOutcome::kAccessDenied:
      return LoadFailure(LoadOutcome::kAccessDenied, folder.path, folder.status);
    default:
      return LoadFailure(LoadOutcome::kFailed, folder.path, folder.status);
  }
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

// Whether the file `path` was made by an administrator (an owner that cannot be read or a file
// that cannot be opened counts as not).
bool MadeByAdministrator(BackupFolderOps& ops, const std::u16string& path) {
  Opened opened = ops.OpenFileToLoad(path);
  bool trusted = false;
  return opened.result.ok() && opened.item->OwnerTrusted(trusted).ok() && trusted;
}

}  // namespace

SavedFile SecuredBackupFiles::SaveNew(BackupKind kind, std::span<const std::byte> contents) {
  SecuredFolder folder = SecureBackupFolder(ops_, true);
  auto with = [&](SavedFile result) {
    result.movedAside = std::move(folder.movedAside);
    return result;
  };
  if (!folder.ok())
    return with(SaveFailure(folder));
  std::vector<std::u16string> names;
  if (FsResult listed = ops_.ListFiles(folder.path, names); !listed.ok())
    return with(SaveFailure(listed));
  // One above the newest that an administrator made: a planted name cannot use up the numbers.
  std::uint32_t sequence = 1;
  for (const NamedBackup& backup : Backups(names)) {
    if (MadeByAdministrator(ops_, folder.path + u'\\' + backup.file)) {
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
      return with({SaveOutcome::kSaved, std::move(path), 0, {}});
    if (written.error != FsError::kExists)
      break;
  }
  return with(SaveFailure(written));
}

SavedFile SecuredBackupFiles::Replace(std::u16string_view path,
                                      std::span<const std::byte> contents) {
  const SecuredFolder folder = SecureBackupFolder(ops_, true);
  if (!folder.ok())
    return SaveFailure(folder);
  const std::size_t slash = path.rfind(u'\\');
  if (slash == std::u16string_view::npos || path.substr(0, slash) != folder.path ||
      slash + 1 == path.size())
    return {SaveOutcome::kFailed, {}, kInvalidParameter};
  // A name left over from an earlier run, or planted before the folder was secured, may be a
  // link: it is removed, never written through.
  const std::u16string next = std::u16string(path) + u".new";
  if (FsResult removed = ops_.Remove(next); !removed.ok() && removed.error != FsError::kNotFound)
    return SaveFailure(removed);
  if (FsResult written = ops_.WriteNewFile(next, contents); !written.ok())
    return SaveFailure(written);
  if (FsResult moved = ops_.MoveOver(next, path); !moved.ok()) {
    ops_.Remove(next);
    return SaveFailure(moved);
  }
  return {SaveOutcome::kSaved, std::u16string(path), 0};
}

ListedBackups SecuredBackupFiles::ListNewestFirst() {
  SecuredFolder folder = SecureBackupFolder(ops_, false);
  auto failure = [&](const LoadedFile& failed) {
    const LoadOutcome outcome =
        failed.outcome == LoadOutcome::kNone ? LoadOutcome::kLoaded : failed.outcome;
    return ListedBackups{outcome, failed.path, failed.status, {}, std::move(folder.movedAside)};
  };
  if (!folder.ok())
    return failure(LoadFailure(folder));
  std::vector<std::u16string> names;
  if (FsResult listed = ops_.ListFiles(folder.path, names); !listed.ok()) {
    return failure(listed.error == FsError::kNotFound ? LoadFailure(LoadOutcome::kNone, {}, 0)
                                                      : LoadFailure(listed, folder.path));
  }
  ListedBackups listing{LoadOutcome::kLoaded, folder.path, 0, {}, std::move(folder.movedAside)};
  for (const NamedBackup& backup : Backups(names))
    listing.newestFirst.push_back({backup.kind, folder.path + u'\\' + backup.file});
  return listing;
}

LoadedFile SecuredBackupFiles::Load(std::u16string_view file) {
  const SecuredFolder folder = SecureBackupFolder(ops_, false);
  if (!folder.ok())
    return LoadFailure(folder);
  std::u16string path(file);
  const std::size_t slash = path.rfind(u'\\');
  if (slash == std::u16string::npos || path.substr(0, slash) != folder.path)
    return LoadFailure(LoadOutcome::kFailed, std::move(path), kInvalidParameter);

  Opened opened = ops_.OpenFileToLoad(path);
  if (!opened.result.ok())
    return LoadFailure(opened.result, std::move(path));
  ItemFacts facts;
  if (FsResult examined = opened.item->Facts(facts); !examined.ok())
    return LoadFailure(examined, std::move(path));
  if (facts.link || facts.folder || facts.names != 1)
    return LoadFailure(LoadOutcome::kFileNotSecured, std::move(path), 0);
  bool trusted = false;
  if (FsResult owner = opened.item->OwnerTrusted(trusted); !owner.ok())
    return LoadFailure(LoadOutcome::kFileNotSecured, std::move(path), owner.code);
  if (!trusted)
    return LoadFailure(LoadOutcome::kFileUntrusted, std::move(path), 0);

  LoadedFile loaded{LoadOutcome::kLoaded, std::move(path), {}, 0};
  if (FsResult read = opened.item->Read(kMaxBackupSize + 1, loaded.contents); !read.ok())
    return LoadFailure(read, std::move(loaded.path));
  if (loaded.contents.size() > kMaxBackupSize)
    return LoadFailure(LoadOutcome::kTooLarge, std::move(loaded.path), 0);
  return loaded;
}

}  // namespace tarnwick
