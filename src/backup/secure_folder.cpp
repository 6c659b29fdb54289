#include "backup/secure_folder.h"

#include "backup/backup_names.h"

#include <array>
#include <string>
#include <string_view>

namespace tarnwick {
namespace {

constexpr std::array<std::u16string_view, 2> kFolders = {u"Tarnwick", u"Backups"};
// Windows' ERROR_DIRECTORY: the name is not a folder's.
constexpr std::uint32_t kNotAFolder = 267;

SecuredFolder Failed(FolderOutcome outcome, std::u16string path, std::uint32_t status) {
  return {outcome, std::move(path), status, {}, {}};
}

std::u16string Digits(int value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
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

// Names tried for a folder moved aside within one second.
constexpr int kMaxAsideNames = 16;

// Opens the folder `path` as itself and checks that it is a folder and no link.
SecuredFolder Examine(BackupFolderOps& ops, const std::u16string& path, bool make,
                      std::unique_ptr<OpenItem>& item) {
  Opened opened = ops.OpenFolder(path);
  if (!opened.result.ok())
    return Failed(WhenNotOpened(opened.result.error, make), path, opened.result.code);
  ItemFacts facts;
  if (FsResult examined = opened.item->Facts(facts); !examined.ok())
    return Failed(FolderOutcome::kNotSecured, path, examined.code);
  if (facts.link)
    return Failed(FolderOutcome::kIsLink, path, 0);
  if (!facts.folder)
    return Failed(FolderOutcome::kNoFolder, path, kNotAFolder);
  item = std::move(opened.item);
  return {FolderOutcome::kSecured, path, 0, {}, {}};
}

// Renames the folder `path` to "<path>.untrusted-<stamp>" (with "-n" from 2 on when taken).
FsResult MoveAside(BackupFolderOps& ops, const std::u16string& path, std::u16string& aside) {
  const std::u16string base = path + u".untrusted-" + StampText(ops.LocalTime());
  FsResult renamed;
  for (int n = 1; n <= kMaxAsideNames; ++n) {
    aside = n == 1 ? base : base + u"-" + Digits(n);
    renamed = ops.Rename(path, aside);
    if (renamed.error != FsError::kExists)
      break;
  }
  return renamed;
}

}  // namespace

SecuredFolder SecureBackupFolder(BackupFolderOps& ops, bool make) {
  SecuredFolder secured;
  if (FsResult base = ops.BaseFolder(secured.path); !base.ok())
    return Failed(FolderOutcome::kNoFolder, {}, base.code);
  auto fail = [&](SecuredFolder failed) {
    failed.movedAside = std::move(secured.movedAside);
    return failed;
  };
  for (std::u16string_view name : kFolders) {
    secured.path += u'\\';
    secured.path += name;
    bool made = false;
    if (make) {
      const FsResult result = ops.MakeFolder(secured.path);
      if (!result.ok() && result.error != FsError::kExists)
        return fail(Failed(WhenNotMade(result.error), secured.path, result.code));
      made = result.ok();
    }
    std::unique_ptr<OpenItem> item;
    if (SecuredFolder examined = Examine(ops, secured.path, make, item); !examined.ok())
      return fail(std::move(examined));
    if (!made) {
      bool trusted = false;
      if (FsResult owner = item->OwnerTrusted(trusted); !owner.ok())
        return fail(Failed(FolderOutcome::kNotSecured, secured.path, owner.code));
      if (!trusted) {
        // Closed first: an open folder cannot be renamed.
        item.reset();
        std::u16string aside;
        if (FsResult moved = MoveAside(ops, secured.path, aside); !moved.ok())
          return fail(Failed(FolderOutcome::kUntrusted, secured.path, moved.code));
        secured.movedAside.push_back({secured.path, aside});
        if (!make)
          return fail(Failed(FolderOutcome::kMissing, secured.path, 0));
        const FsResult remade = ops.MakeFolder(secured.path);
        if (!remade.ok())
          return fail(Failed(remade.error == FsError::kExists ? FolderOutcome::kUntrusted
                                                              : WhenNotMade(remade.error),
                             secured.path, remade.code));
        made = true;
        if (SecuredFolder examined = Examine(ops, secured.path, make, item); !examined.ok())
          return fail(std::move(examined));
      } else if (FsResult applied = item->MakeAdminOnly(); !applied.ok()) {
        return fail(Failed(FolderOutcome::kNotSecured, secured.path, applied.code));
      }
    }
    secured.held.push_back(std::move(item));
  }
  secured.outcome = FolderOutcome::kSecured;
  return secured;
}

}  // namespace tarnwick
