#include "backup/backup_files.h"

#include <algorithm>
#include <optional>

#include "backup/backup_messages.h"

namespace tarnwick {
namespace {

// Names tried, each one further on, when a name is taken meanwhile.
constexpr int kMaxTries = 16;
// A file open elsewhere (a scanner or a backup agent reading it, say) is opened again so often,
// so far apart, before the load reports it.
constexpr int kReadTries = 5;
constexpr std::uint32_t kReadRetryMilliseconds = 200;

LoadedFile LoadFailure(BackupOutcome outcome, std::u16string path, SystemError status) {
  return {{outcome, std::move(path), std::move(status)}, {}};
}

struct NamedBackup {
  BackupName name;
  BackupKind kind;
  std::u16string path;
};

// The backups in the folder in use and in the earlier one, newest first; `failed` names the
// folder that could not be listed.
SystemError ListBackups(BackupFolderOps& ops, const SecuredFolder& folder,
                        std::vector<NamedBackup>& backups, std::u16string& failed) {
  for (const std::u16string& at : {folder.path, folder.earlier}) {
    std::vector<std::u16string> names;
    const SystemError listed = at.empty() ? SystemError{} : ops.ListFiles(at, names);
    if (!listed.ok() && KindOf(listed) != FsError::kNotFound) {
      failed = at;
      return listed;
    }
    for (const std::u16string& name : names) {
      for (BackupKind kind : {BackupKind::kUpdate, BackupKind::kBeforeUndo}) {
        if (std::optional<BackupName> parsed = ParseBackupFileName(kind, name))
          backups.push_back({*parsed, kind, at + u'\\' + name});
      }
    }
  }
  std::sort(backups.begin(), backups.end(),
            [](const NamedBackup& a, const NamedBackup& b) { return a.name > b.name; });
  return {};
}

}  // namespace

BackupResult BackupFiles::SaveNew(BackupKind kind, std::span<const std::byte> contents) {
  SecuredFolder folder = SecureBackupFolder(ops_, true);
  auto with = [&](BackupResult result) {
    result.notUsed = std::move(folder.notUsed);
    result.unprotected = folder.unprotected;
    return result;
  };
  if (!folder.ok())
    return folder;
  std::vector<NamedBackup> backups;
  std::u16string failed;
  if (SystemError listed = ListBackups(ops_, folder, backups, failed); !listed.ok())
    return with(Failure(listed, failed, false));
  // One above the newest that an administrator made, in either folder: a planted name cannot use
  // up the numbers.
  std::uint32_t sequence = 1;
  for (const NamedBackup& backup : backups) {
    // An owner that cannot be read, or a file that cannot be opened now, counts as not.
    Opened opened = ops_.OpenEntry(backup.path);
    bool trusted = folder.unprotected;
    if (opened.result.ok() && (trusted || (opened.item->OwnerTrusted(trusted).ok() && trusted))) {
      sequence = backup.name.sequence + 1;
      break;
    }
  }
  const BackupStamp now = ops_.LocalTime();
  SystemError written = kErrorFileExists;
  for (int tries = 0; tries < kMaxTries && sequence <= kMaxBackupSequence; ++tries, ++sequence) {
    std::u16string path = folder.path + u'\\' + BackupFileName(kind, sequence, now);
    written = ops_.WriteNewFile(path, contents);
    if (written.ok())
      return with({BackupOutcome::kDone, std::move(path), 0});
    if (KindOf(written) != FsError::kExists)
      break;
  }
  return with(Failure(written, folder.path, false));
}

ListedBackups BackupFiles::ListNewestFirst() {
  SecuredFolder folder = SecureBackupFolder(ops_, false);
  ListedBackups listing{folder, {}};
  if (folder.outcome == BackupOutcome::kMissing)
    listing.outcome = BackupOutcome::kDone;  // no folder: nothing to list
  if (!folder.ok())
    return listing;
  std::vector<NamedBackup> backups;
  if (SystemError listed = ListBackups(ops_, folder, backups, listing.path); !listed.ok()) {
    listing.outcome = Failure(listed, {}, true).outcome;
    listing.status = listed;
    return listing;
  }
  for (NamedBackup& backup : backups)
    listing.newestFirst.push_back({backup.kind, std::move(backup.path)});
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
  const std::u16string in = slash == std::u16string::npos ? u"" : path.substr(0, slash);
  if (in.empty() || (in != folder.path && in != folder.earlier))
    return LoadFailure(BackupOutcome::kFailed, std::move(path), kErrorInvalidParameter);
  if (!folder.trusted)
    return LoadFailure(BackupOutcome::kUnprotected, std::move(path), 0);

  Opened opened = ops_.OpenFileToRead(path);
  for (int tries = 1; KindOf(opened.result) == FsError::kInUse && tries < kReadTries; ++tries) {
    ops_.Pause(kReadRetryMilliseconds);
    opened = ops_.OpenFileToRead(path);
  }
  ItemFacts facts;
  const SystemError examined = opened.result.ok() ? opened.item->Facts(facts) : opened.result;
  if (!examined.ok())
    return {Failure(examined, std::move(path), true), {}};
  if (facts.link || facts.folder)
    return LoadFailure(BackupOutcome::kFileNotSecured, std::move(path), 0);
  // Where the volume keeps no owners, `trusted` above has decided.
  bool trusted = folder.unprotected;
  if (SystemError owner = trusted ? SystemError{} : opened.item->OwnerTrusted(trusted); !owner.ok())
    return LoadFailure(BackupOutcome::kFileNotSecured, std::move(path), owner);
  if (!trusted)
    return LoadFailure(BackupOutcome::kFileUntrusted, std::move(path), 0);

  LoadedFile loaded = LoadFailure(BackupOutcome::kDone, std::move(path), 0);
  if (SystemError read = opened.item->Read(kMaxBackupSize + 1, loaded.contents); !read.ok())
    return {Failure(read, std::move(loaded.path), true), {}};
  if (loaded.contents.size() > kMaxBackupSize)
    return LoadFailure(BackupOutcome::kTooLarge, std::move(loaded.path), 0);
  return loaded;
}

BackupResult RunBackup::Add(const RegFileValue& value, MessageLog& log) {
  const std::vector<std::byte> contents = RegFileBytes(RegFileText({&value, 1}));
  // A backup that no undo would read saves nothing, so the value it was for is not changed.
  BackupResult saved = contents.size() > kMaxBackupSize
                           ? BackupResult{BackupOutcome::kTooLarge, {}, 0}
                           : files_.SaveNew(kind_, contents);
  for (const NotUsed& entry : saved.notUsed)
    log.LogMessage(NotUsedMessage(entry));
  if (saved.ok())
    log.LogMessage(BackupSavedMessage(saved.path));
  return saved;
}

}  // namespace tarnwick
