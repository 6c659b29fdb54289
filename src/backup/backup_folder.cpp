#include "backup/backup_folder.h"

#include "backup/backup_names.h"
#include "platform/text.h"

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
// ERROR_PATH_NOT_FOUND: the folder that was looked for is not there as a folder to use.
constexpr std::uint32_t kPathNotFound = 3;

}  // namespace

std::optional<EntryForm> Distrusted(const Opened& opened, bool folder, bool made,
                                    SystemError& status) {
  ItemFacts facts;
  const FsResult examined = opened.result.ok() ? opened.item->Facts(facts) : opened.result;
  if (!examined.ok()) {
    status = examined.code;
    return EntryForm::kUnopenable;
  }
  if (facts.link)
    return EntryForm::kLink;
  if (folder && !facts.folder)
    return EntryForm::kFile;
  if (!folder && (facts.folder || facts.names != 1))
    return EntryForm::kUntrustedFile;
  bool trusted = made;
  if (FsResult owner = made ? FsResult{} : opened.item->OwnerTrusted(trusted); !owner.ok()) {
    status = owner.code;
    return EntryForm::kOwnerUnknown;
  }
  if (!trusted)
    return folder ? EntryForm::kUntrustedFolder : EntryForm::kUntrustedFile;
  return std::nullopt;
}

BackupResult Failure(const FsResult& failed, std::u16string path, bool reading) {
  BackupOutcome outcome = BackupOutcome::kFailed;
  if (failed.error == FsError::kAccessDenied || (failed.error == FsError::kInUse && !reading))
    outcome = BackupOutcome::kAccessDenied;
  else if (failed.error == FsError::kInUse)
    outcome = BackupOutcome::kFileNotSecured;  // open for writing elsewhere
  else if (failed.error == FsError::kDiskFull)
    outcome = BackupOutcome::kDiskFull;
  else if (failed.error == FsError::kNotFound)
    outcome = BackupOutcome::kNoFolder;
  return {outcome, std::move(path), failed.code};
}

FsResult MoveAside(BackupFolderOps& ops, const std::u16string& path, std::u16string& aside) {
  const std::u16string base = path + u".untrusted-" + StampText(ops.LocalTime());
  FsResult renamed;
  for (int n = 1; n <= kMaxAsideNames; ++n) {
    aside = n == 1 ? base : base + u"-" + NumberText(static_cast<std::uint64_t>(n));
    renamed = ops.Rename(path, aside);
    if (renamed.error != FsError::kExists)
      break;
  }
  return renamed;
}

SecuredFolder SecureBackupFolder(BackupFolderOps& ops, bool make) {
  SecuredFolder secured;
  if (FsResult base = ops.BaseFolder(secured.path); !base.ok())
    return {{BackupOutcome::kNoFolder, {}, base.code}, {}};
  auto fail = [&](BackupOutcome outcome, SystemError status) {
    return SecuredFolder{{outcome, secured.path, std::move(status), std::move(secured.movedAside)},
                         {}};
  };
  for (std::u16string_view name : kFolders) {
    secured.path += u'\\';
    secured.path += name;
    std::unique_ptr<OpenItem> item;
    for (int looks = 0; item == nullptr; ++looks) {
      if (looks == kMaxLooks)
        return fail(BackupOutcome::kFolderUntrusted, 0);
      bool made = false;
      if (make) {
        const FsResult result = ops.MakeFolder(secured.path);
        if (!result.ok() && result.error != FsError::kExists) {
          const BackupOutcome why = Failure(result, {}, false).outcome;
          return fail(why == BackupOutcome::kFailed ? BackupOutcome::kNoFolder : why, result.code);
        }
        made = result.ok();
      }
      // Opened as itself; a folder this walk has just made is known to be an administrator's.
      Opened opened = ops.OpenFolder(secured.path);
      if (opened.result.error == FsError::kNotFound) {
        if (!make)
          return fail(BackupOutcome::kMissing, opened.result.code);
        if (made)
          return fail(BackupOutcome::kNoFolder, opened.result.code);
        continue;  // removed since: made anew
      }
      SystemError status;
      const std::optional<EntryForm> form = Distrusted(opened, true, made, status);
      if (!form) {
        if (!made) {
          if (FsResult applied = opened.item->MakeAdminOnly(); !applied.ok())
            return fail(BackupOutcome::kFolderNotSecured, applied.code);
        }
        item = std::move(opened.item);
        continue;
      }
      opened.item.reset();  // closed first: what is open cannot be renamed
      // Renamed by its name alone: what a link points to is never reached.
      std::u16string aside;
      const FsResult moved = MoveAside(ops, secured.path, aside);
      if (moved.error == FsError::kNotFound)
        continue;  // gone since, moved aside by another run: looked at again
      if (!moved.ok())
        return fail(BackupOutcome::kFolderUntrusted, moved.code);
      secured.movedAside.push_back({secured.path, aside, *form, status});
      if (!make)
        return fail(BackupOutcome::kMissing, kPathNotFound);
    }
    secured.held.push_back(std::move(item));
  }
  secured.outcome = BackupOutcome::kDone;
  return secured;
}

}  // namespace tarnwick
