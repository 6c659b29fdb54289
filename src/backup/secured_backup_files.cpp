#include "backup/secured_backup_files.h"

#include <optional>

#include "backup/secure_folder.h"

namespace tarnwick {
namespace {

// Names tried within one second before giving up.
constexpr int kMaxNumber = 999;
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
    case FolderOutcome::kIsLink:
      return {SaveOutcome::kFolderIsLink, folder.path, folder.status};
    case FolderOutcome::kNotSecured:
      return {SaveOutcome::kFolderNotSecured, folder.path, folder.status};
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
    case FolderOutcome::kIsLink:
      return LoadFailure(LoadOutcome::kFolderIsLink, folder.path, folder.status);
    case FolderOutcome::kNotSecured:
      return LoadFailure(LoadOutcome::kFolderNotSecured, folder.path, folder.status);
    case FolderOutcome::kAccessDenied:
      return LoadFailure(LoadOutcome::kAccessDenied, folder.path, folder.status);
    default:
      return LoadFailure(LoadOutcome::kFailed, folder.path, folder.status);
  }
}

// The name of the newest file of `kind` among `names`.
std::optional<std::u16string> Newest(BackupKind kind, const std::vector<std::u16string>& names) {
  std::optional<BackupName> newest;
  std::optional<std::u16string> found;
  for (const std::u16string& name : names) {
    std::optional<BackupName> parsed = ParseBackupFileName(kind, name);
    if (parsed && (!newest || *parsed > *newest)) {
      newest = parsed;
      found = name;
    }
  }
  return found;
}

}  // namespace

SavedFile SecuredBackupFiles::SaveNew(BackupKind kind, std::span<const std::byte> contents) {
  const SecuredFolder folder = SecureBackupFolder(ops_, true);
  if (!folder.ok())
    return SaveFailure(folder);
  const BackupStamp now = ops_.LocalTime();
  FsResult written;
  for (int number = 1; number <= kMaxNumber; ++number) {
    std::u16string path = folder.path + u'\\' + BackupFileName(kind, now, number);
    written = ops_.WriteNewFile(path, contents);
    if (written.ok())
      return {SaveOutcome::kSaved, std::move(path), 0};
    if (written.error != FsError::kExists)
      break;
  }
  return SaveFailure(written);
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

LoadedFile SecuredBackupFiles::LoadNewest(BackupKind kind) {
  const SecuredFolder folder = SecureBackupFolder(ops_, false);
  if (!folder.ok())
    return LoadFailure(folder);
  std::vector<std::u16string> names;
  if (FsResult listed = ops_.ListFiles(folder.path, names); !listed.ok()) {
    if (listed.error == FsError::kNotFound)
      return LoadFailure(LoadOutcome::kNone, {}, 0);
    return LoadFailure(listed, folder.path);
  }
  const std::optional<std::u16string> name = Newest(kind, names);
  if (!name)
    return LoadFailure(LoadOutcome::kNone, {}, 0);
  std::u16string path = folder.path + u'\\' + *name;

  Opened opened = ops_.OpenFileToLoad(path);
  if (!opened.result.ok())
    return LoadFailure(opened.result, std::move(path));
  ItemFacts facts;
  if (FsResult examined = opened.item->Facts(facts); !examined.ok())
    return LoadFailure(examined, std::move(path));
  if (facts.link || facts.folder || facts.names != 1)
    return LoadFailure(LoadOutcome::kFileNotSecured, std::move(path), 0);
  if (FsResult applied = opened.item->MakeAdminOnly(); !applied.ok())
    return LoadFailure(LoadOutcome::kFileNotSecured, std::move(path), applied.code);

  LoadedFile loaded{LoadOutcome::kLoaded, std::move(path), {}, 0};
  if (FsResult read = opened.item->Read(kMaxBackupSize + 1, loaded.contents); !read.ok())
    return LoadFailure(read, std::move(loaded.path));
  if (loaded.contents.size() > kMaxBackupSize)
    return LoadFailure(LoadOutcome::kTooLarge, std::move(loaded.path), 0);
  return loaded;
}

}  // namespace tarnwick
