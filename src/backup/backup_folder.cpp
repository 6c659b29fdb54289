#include "backup/backup_folder.h"

#include "platform/text.h"

#include <algorithm>
#include <initializer_list>
#include <string>
#include <string_view>

namespace tarnwick {
namespace {

constexpr std::u16string_view kTarnwick = u"Tarnwick";
constexpr std::u16string_view kBackups = u"Backups";
// A folder made in Tarnwick's place: the prefix, then 16 lower-case hexadecimal digits.
constexpr std::u16string_view kChosenPrefix = u"Tarnwick-";
constexpr std::size_t kChosenDigits = 16;

// Looks at one folder's name, each time after it was made: an administrator may remove it
// meanwhile, and a name that keeps disappearing ends the walk.
constexpr int kMaxLooks = 4;
// Folders made in Tarnwick's place in one walk, and names tried for each.
constexpr int kMaxChosen = 4;

// Names a folder that a run makes and records.
bool IsFolderName(std::u16string_view name) {
  return name == kTarnwick ||
         (name.size() == kChosenPrefix.size() + kChosenDigits && name.starts_with(kChosenPrefix) &&
          std::all_of(name.begin() + kChosenPrefix.size(), name.end(),
                      [](char16_t c) { return HexDigitValue(c) >= 0 && FoldAscii(c) == c; }));
}

// How looking at one folder on the way went: held when it is to be used, `refused` when what has
// its name is not, and otherwise the walk ends with `failure`.
struct Look {
  std::unique_ptr<OpenItem> item;
  std::optional<NotUsed> refused;
  BackupResult failure;
};

// The folder `path`, made first where it is missing and `make` says so; `made`: this walk has
// made it already. `ownersKept`: its volume keeps owners.
Look LookAt(BackupFolderOps& ops, const std::u16string& path, bool make, bool made,
            bool ownersKept) {
  for (int looks = 0; looks < kMaxLooks; ++looks) {
    if (make && !made) {
      const SystemError result = ops.MakeFolder(path);
      if (!result.ok() && KindOf(result) != FsError::kExists)
        return {nullptr, std::nullopt, Failure(result, path, false, BackupOutcome::kNoFolder)};
      made = result.ok();
    }
    // Opened as itself; a folder this walk has just made is known to be an administrator's.
    Opened opened = ops.OpenEntry(path);
    if (KindOf(opened.result) == FsError::kNotFound) {
      const BackupOutcome outcome = make ? BackupOutcome::kNoFolder : BackupOutcome::kMissing;
      if (!make || made)
        return {nullptr, std::nullopt, {outcome, path, opened.result}};
      continue;  // removed since: made anew
    }
    SystemError status;
    if (const auto form = Distrusted(opened, true, made || !ownersKept, status))
      return {nullptr, NotUsed{path, *form, status}, {}};
    return {std::move(opened.item), std::nullopt, {}};
  }
  return {nullptr, std::nullopt, {BackupOutcome::kNoFolder, path, kErrorPathNotFound}};
}

// The folder `top` and its Backups, each looked at as LookAt does.
struct Walk {
  std::vector<std::unique_ptr<OpenItem>> held;  // those to be used, top first; both when done
  std::u16string path;                          // the backup folder
  Look last;                                    // the look that ended the walk early

  bool done() const { return held.size() == 2; }
};

Walk WalkDown(BackupFolderOps& ops, const std::u16string& top, bool make, bool made,
              bool ownersKept) {
  Walk walk{{}, top, {}};
  while (!walk.done()) {
    if (!walk.held.empty())
      walk.path += u'\\' + std::u16string(kBackups);
    walk.last = LookAt(ops, walk.path, make, made && walk.held.empty(), ownersKept);
    if (walk.last.item == nullptr)
      break;
    walk.held.push_back(std::move(walk.last.item));
  }
  return walk;
}

}  // namespace

FsError KindOf(const SystemError& error) {
  const auto any = [&](std::initializer_list<std::uint32_t> codes) {
    return std::find(codes.begin(), codes.end(), error.code) != codes.end();
  };
  if (error.ok())
    return FsError::kNone;
  if (any({kErrorFileNotFound, kErrorPathNotFound, kErrorInvalidName, kErrorBadPathname,
           kErrorDirectory}))
    return FsError::kNotFound;
  if (any({kErrorFileExists, kErrorAlreadyExists}))
    return FsError::kExists;
  if (any({kErrorAccessDenied, kErrorWriteProtect}))
    return FsError::kAccessDenied;
  if (any({kErrorSharingViolation, kErrorLockViolation, kErrorOplockBreakInProgress}))
    return FsError::kInUse;
  return any({kErrorHandleDiskFull, kErrorDiskFull}) ? FsError::kDiskFull : FsError::kOther;
}

std::optional<EntryForm> Distrusted(const Opened& opened, bool folder, bool ownerKnown,
                                    SystemError& status) {
  ItemFacts facts;
  const SystemError examined = opened.result.ok() ? opened.item->Facts(facts) : opened.result;
  if (!examined.ok()) {
    status = examined;
    return EntryForm::kUnopenable;
  }
  if (facts.link)
    return EntryForm::kLink;
  if (folder != facts.folder)
    return folder ? EntryForm::kFile : EntryForm::kUntrustedFile;
  bool trusted = ownerKnown;
  if (SystemError owner = ownerKnown ? SystemError{} : opened.item->OwnerTrusted(trusted);
      !owner.ok()) {
    status = owner;
    return EntryForm::kOwnerUnknown;
  }
  if (!trusted)
    return folder ? EntryForm::kUntrustedFolder : EntryForm::kUntrustedFile;
  return std::nullopt;
}

BackupResult Failure(const SystemError& failed, std::u16string path, bool reading,
                     BackupOutcome otherwise) {
  const FsError kind = KindOf(failed);
  BackupOutcome outcome = otherwise;
  if (kind == FsError::kAccessDenied || (kind == FsError::kInUse && !reading))
    outcome = BackupOutcome::kAccessDenied;
  else if (kind == FsError::kInUse)
    outcome = BackupOutcome::kFileNotSecured;  // open elsewhere
  else if (kind == FsError::kDiskFull)
    outcome = BackupOutcome::kDiskFull;
  else if (kind == FsError::kNotFound)
    outcome = BackupOutcome::kNoFolder;
  return {outcome, std::move(path), failed};
}

SecuredFolder SecureBackupFolder(BackupFolderOps& ops, bool make, const NotUsed* abandoned) {
  SecuredFolder secured;
  // Ends with `result`, and with the entries left on the way.
  auto end = [&](BackupResult result) {
    result.notUsed = std::move(secured.notUsed);
    result.unprotected = secured.unprotected;
    static_cast<BackupResult&>(secured) = std::move(result);
    return std::move(secured);
  };
  // Done: with the folder in use where there is one, or with the earlier one alone; kMissing,
  // with `missing` the platform's code for it, where there is neither.
  auto done = [&](std::u16string path, SystemError missing = kErrorPathNotFound) {
    if (path.empty() && secured.earlier.empty())
      return end({BackupOutcome::kMissing, {}, std::move(missing)});
    return end({BackupOutcome::kDone, std::move(path), {}});
  };
  std::u16string base;
  if (SystemError found = ops.BaseFolder(base); !found.ok())
    return end({BackupOutcome::kNoFolder, {}, found});
  VolumePermissions kept;
  if (SystemError asked = ops.Permissions(base, kept); !asked.ok())
    return end({BackupOutcome::kNoFolder, base, asked});
  secured.unprotected = !kept.base;
  secured.trusted = kept.base || !kept.system;
  std::u16string name;
  if (SystemError read = ops.RecordedFolder(name); !read.ok())
    return end({BackupOutcome::kNoRecord, std::u16string(kFolderRecordPlace), read});
  if (!IsFolderName(name))
    name.clear();

  // "Tarnwick", where it is not the folder recorded: an earlier one is read, never used. Where
  // nothing is recorded, what has its name is what a folder is made in place of.
  const std::u16string tarnwick = base + u'\\' + std::u16string(kTarnwick);
  std::optional<NotUsed> refused;
  if (name != kTarnwick) {
    // A Backups that is not an administrator's, or none, holds no backup of theirs.
    Walk walk = WalkDown(ops, tarnwick, false, false, kept.base);
    if (!walk.done() && !walk.last.refused && walk.last.failure.outcome != BackupOutcome::kMissing)
      return end(std::move(walk.last.failure));
    if (name.empty())
      refused = walk.held.empty() ? std::move(walk.last.refused)
                                  : NotUsed{tarnwick, EntryForm::kEarlier, {}};
    if (walk.done()) {
      secured.held = std::move(walk.held);
      secured.earlier = std::move(walk.path);
    }
  }

  // The folder recorded is walked down. Where none is, or what has its name is not used, one is
  // made and recorded in its place: "Tarnwick" where nothing has that name, otherwise one of a
  // name that nobody can have foreseen. Made before it is recorded, so that a record never
  // names a folder that someone else could make first.
  bool made = false;
  for (int chosen = 0;;) {
    if (!refused && !name.empty()) {
      const std::u16string top = base + u'\\' + name;
      if (abandoned != nullptr && abandoned->path.starts_with(top + u'\\')) {
        refused = *abandoned;
      } else {
        Walk walk = WalkDown(ops, top, make, made, kept.base);
        if (walk.done()) {
          for (auto& item : walk.held)
            secured.held.push_back(std::move(item));
          return done(std::move(walk.path));
        }
        if (!walk.last.refused) {
          if (walk.last.failure.outcome == BackupOutcome::kMissing)
            return done({}, walk.last.failure.status);  // not made yet
          return end(std::move(walk.last.failure));
        }
        refused = std::move(walk.last.refused);
      }
    }
    if (!make) {
      if (refused && refused->form != EntryForm::kEarlier)
        secured.notUsed.push_back(std::move(*refused));
      return done({});
    }
    if (chosen == kMaxChosen)
      return end({BackupOutcome::kFolderUntrusted, refused->path, refused->status});
    const bool first = !refused;
    SystemError result;
    for (int tries = 0; tries < (first ? 1 : kMaxChosen); ++tries) {
      name =
          first ? std::u16string(kTarnwick)
                : std::u16string(kChosenPrefix) + HexText(ops.Unforeseeable(), kChosenDigits, true);
      result = ops.MakeFolder(base + u'\\' + name);
      if (KindOf(result) != FsError::kExists)
        break;
    }
    if (first && KindOf(result) == FsError::kExists) {
      refused = NotUsed{tarnwick, EntryForm::kEarlier, {}};  // made by another run meanwhile
      continue;
    }
    if (!result.ok())
      return end(Failure(result, base + u'\\' + name, false, BackupOutcome::kNoFolder));
    if (SystemError recorded = ops.RecordFolder(name); !recorded.ok())
      return end({BackupOutcome::kNoRecord, std::u16string(kFolderRecordPlace), recorded});
    if (!first) {
      refused->instead = base + u'\\' + name;
      secured.notUsed.push_back(std::move(*refused));
      refused.reset();
      ++chosen;
    }
    made = true;
  }
}

}  // namespace tarnwick
