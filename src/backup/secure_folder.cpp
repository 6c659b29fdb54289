#include "backup/secure_folder.h"

#include <array>
#include <string_view>

namespace tarnwick {
namespace {

constexpr std::array<std::u16string_view, 2> kFolders = {u"Tarnwick", u"Backups"};
// Windows' ERROR_DIRECTORY: the name is not a folder's.
constexpr std::uint32_t kNotAFolder = 267;

SecuredFolder Failed(FolderOutcome outcome, std::u16string path, std::uint32_t status) {
  return {outcome, std::move(path), status, {}};
}

FolderOutcome WhenNotMade(FsError error) {
  switch (error) {
    case FsError::kAccessDenied:
      return FolderOutcome::kAccessDenied;
    case FsError::kDiskFull:
      return FolderOutcome::kDiskFull;
    default:
      return FolderOutcome::kNoFolder;
  }
}

// A folder that could not be opened: missing (made or not), or there but out of reach of the
// rights that setting its security needs.
FolderOutcome WhenNotOpened(FsError error, bool made) {
  if (error != FsError::kNotFound)
    return FolderOutcome::kNotSecured;
  return made ? FolderOutcome::kNoFolder : FolderOutcome::kMissing;
}

}  // namespace

SecuredFolder SecureBackupFolder(BackupFolderOps& ops, bool make) {
  SecuredFolder secured;
  if (FsResult base = ops.BaseFolder(secured.path); !base.ok())
    return Failed(FolderOutcome::kNoFolder, {}, base.code);
  for (std::u16string_view name : kFolders) {
    secured.path += u'\\';
    secured.path += name;
    if (make) {
      const FsResult made = ops.MakeFolder(secured.path);
      if (!made.ok() && made.error != FsError::kExists)
        return Failed(WhenNotMade(made.error), secured.path, made.code);
    }
    Opened opened = ops.OpenFolder(secured.path);
    if (!opened.result.ok()) {
      return Failed(WhenNotOpened(opened.result.error, make), secured.path, opened.result.code);
    }
    ItemFacts facts;
    if (FsResult examined = opened.item->Facts(facts); !examined.ok())
      return Failed(FolderOutcome::kNotSecured, secured.path, examined.code);
    if (facts.link)
      return Failed(FolderOutcome::kIsLink, secured.path, 0);
    if (!facts.folder)
      return Failed(FolderOutcome::kNoFolder, secured.path, kNotAFolder);
    if (FsResult applied = opened.item->MakeAdminOnly(); !applied.ok())
      return Failed(FolderOutcome::kNotSecured, secured.path, applied.code);
    secured.held.push_back(std::move(opened.item));
  }
  secured.outcome = FolderOutcome::kSecured;
  return secured;
}

}  // namespace tarnwick
