#include "backup/secure_folder.h"

#include "backup/backup_names.h"

#include <array>
#include <string>
#include <string_view>

namespace tarnwick {
namespace {

constexpr std::array<std::u16string_view, 2> kFolders = {u"Tarnwick", u"Backups"};

// Names tried for an entry moved aside within one second.
constexpr int kMaxAsideNames = 16;
// Looks at one folder's name, each time after it was made or moved aside: another run may have
// done either meanwhile, and a name that keeps being taken again ends the walk.
constexpr int kMaxLooks = 4;

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

// What has a folder's name: nothing, a folder that an administrator made (`item` holds it
// open), or something to move aside for `form`.
struct Look {
  enum { kMissing, kFolder, kAside } verdict = kMissing;
  EntryForm form = EntryForm::kUntrustedFolder;
  std::uint32_t status = 0;
  std::unique_ptr<OpenItem> item;
};

Look Aside(EntryForm form, std::uint32_t status = 0) {
  return {Look::kAside, form, status, nullptr};
}

// Opens `path` as itself; `made`: this walk has just made it, so its owner is known.
Look LookAt(BackupFolderOps& ops, const std::u16string& path, bool made) {
  Opened opened = ops.OpenFolder(path);
  if (!opened.result.ok()) {
    return opened.result.error == FsError::kNotFound
               ? Look{Look::kMissing, EntryForm::kUntrustedFolder, opened.result.code, nullptr}
               : Aside(EntryForm::kUnopenable, opened.result.code);
  }
  ItemFacts facts;
  if (FsResult examined = opened.item->Facts(facts); !examined.ok())
    return Aside(EntryForm::kUnopenable, examined.code);
  if (facts.link)
    return Aside(EntryForm::kLink);
  if (!facts.folder)
    return Aside(EntryForm::kFile);
  if (!made) {
    bool trusted = false;
    if (FsResult owner = opened.item->OwnerTrusted(trusted); !owner.ok())
      return Aside(EntryForm::kOwnerUnknown, owner.code);
    if (!trusted)
      return Aside(EntryForm::kUntrustedFolder);
  }
  return {Look::kFolder, EntryForm::kUntrustedFolder, 0, std::move(opened.item)};
}

}  // namespace

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
    std::unique_ptr<OpenItem> item;
    for (int looks = 0; item == nullptr; ++looks) {
      if (looks == kMaxLooks)
        return fail(Failed(FolderOutcome::kUntrusted, secured.path, 0));
      bool made = false;
      if (make) {
        const FsResult result = ops.MakeFolder(secured.path);
        if (!result.ok() && result.error != FsError::kExists)
          return fail(Failed(WhenNotMade(result.error), secured.path, result.code));
        made = result.ok();
      }
      Look look = LookAt(ops, secured.path, made);
      if (look.verdict == Look::kMissing) {
        if (!make)
          return fail(Failed(FolderOutcome::kMissing, secured.path, 0));
        if (made)
          return fail(Failed(FolderOutcome::kNoFolder, secured.path, look.status));
        continue;  // removed since: made anew
      }
      if (look.verdict == Look::kFolder) {
        if (!made) {
          if (FsResult applied = look.item->MakeAdminOnly(); !applied.ok())
            return fail(Failed(FolderOutcome::kNotSecured, secured.path, applied.code));
        }
        item = std::move(look.item);
        continue;
      }
      // Renamed by its name alone: what a link points to is never reached.
      std::u16string aside;
      const FsResult moved = MoveAside(ops, secured.path, aside);
      if (moved.error == FsError::kNotFound)
        continue;  // gone since, moved aside by another run: looked at again
      if (!moved.ok())
        return fail(Failed(FolderOutcome::kUntrusted, secured.path, moved.code));
      secured.movedAside.push_back({secured.path, aside, look.form, look.status});
      if (!make)
        return fail(Failed(FolderOutcome::kMissing, secured.path, 0));
    }
    secured.held.push_back(std::move(item));
  }
  secured.outcome = FolderOutcome::kSecured;
  return secured;
}

}  // namespace tarnwick
