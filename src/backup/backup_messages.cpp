#include "backup/backup_messages.h"

#include <utility>

#include "platform/platform_messages.h"
#include "platform/text.h"

namespace tarnwick {
namespace {

constexpr std::u16string_view kNothingRestored = u" Nothing was restored.";

// What is being done when it fails.
enum Act { kSave, kLock, kLoad, kList };

// Why each thing failed while doing each act. "{p}" is the path; "{b}" Windows' code and text in
// brackets ("(error 5: Access is denied)", nothing where no code was reported); "{r}" "the system
// reported error 5: Access is denied."; "{a}" "access was refused (error 5: Access is denied).
// Please run this program as an administrator."; "{m}" kMaxBackupSize. `base`: kNoFolder with no
// path, where the machine-wide base folder itself could not be found.
struct Wording {
  BackupOutcome outcome;
  Act act;
  std::u16string_view text;
  bool base = false;
};
constexpr Wording kWordings[] = {
    {BackupOutcome::kFailed, kSave, u"writing to {p} failed: {r}"},
    {BackupOutcome::kFailed, kLock, u"the lock file {p} could not be opened: {r}"},
    {BackupOutcome::kFailed, kLoad, u"Could not read the backup {p}: {r}"},
    {BackupOutcome::kFailed, kList, u"Could not read the backup folder {p}: {r}"},
    {BackupOutcome::kNoFolder, kSave,
     u"the all-users application data folder could not be found{b}.", true},
    {BackupOutcome::kNoFolder, kLoad,
     u"Could not read the backups: the all-users application data folder could not be found{b}.",
     true},
    {BackupOutcome::kNoFolder, kSave, u"the backup folder {p} could not be found or made{b}."},
    {BackupOutcome::kNoFolder, kLock, u"the folder {p} could not be found or made{b}."},
    {BackupOutcome::kAccessDenied, kSave, u"access to {p} was refused{b}."},
    {BackupOutcome::kAccessDenied, kLock, u"access to the folder {p} was refused{b}."},
    {BackupOutcome::kAccessDenied, kLoad, u"Could not read the backup {p}: {a}"},
    {BackupOutcome::kAccessDenied, kList, u"Could not read the backup folder {p}: {a}"},
    {BackupOutcome::kDiskFull, kSave, u"the disk is full{b}."},
    {BackupOutcome::kFolderUntrusted, kSave,
     u"{p} is not a folder that an administrator made, and no folder made in its place was "
     u"usable either{b}."},
    {BackupOutcome::kFolderUntrusted, kLoad,
     u"Could not read the backups: {p} is not a folder that an administrator made, and no "
     u"folder made in its place was usable either{b}."},
    {BackupOutcome::kNoRecord, kSave,
     u"the record of the folder that Tarnwick uses, {p}, could not be read or written{b}."},
    {BackupOutcome::kNoRecord, kLoad,
     u"Could not read the backups: the record of the folder that Tarnwick uses, {p}, could not "
     u"be read{b}."},
    {BackupOutcome::kFileNotSecured, kLoad,
     u"Could not read the backup {p}: it is a link, is open elsewhere, or its owner could not be "
     u"read{b}."},
    {BackupOutcome::kFileUntrusted, kLock,
     u"the lock file {p} was not made by an administrator, nor was the one in each folder made "
     u"in place of its own{b}."},
    {BackupOutcome::kUnprotected, kLoad,
     u"Could not read the backup {p}: its volume keeps no permissions, so anyone could have "
     u"changed it."},
    {BackupOutcome::kTooLarge, kSave, u"it would be larger than the {m} bytes that an undo reads."},
    {BackupOutcome::kTooLarge, kLoad, u"The backup {p} is larger than any backup Tarnwick saves."},
};

// The wording for `result`, which failed while doing `act`: its own; for the run lock without
// one, a save's, and for a listing, a load's; else kFailed's for `act`.
std::u16string_view WordingFor(Act act, const BackupResult& result) {
  const bool base = result.outcome == BackupOutcome::kNoFolder && result.path.empty();
  const Act alike = act == kLock || act == kList ? static_cast<Act>(act - 1) : act;
  const std::pair<BackupOutcome, Act> tries[] = {
      {result.outcome, act}, {result.outcome, alike}, {BackupOutcome::kFailed, act}};
  for (const auto& [outcome, wanted] : tries) {
    for (const Wording& row : kWordings) {
      if (row.outcome == outcome && row.act == wanted &&
          row.base == (base && outcome != BackupOutcome::kFailed))
        return row.text;
    }
  }
  return {};
}

// `text` with its fields filled in from `path` and `status`.
std::u16string Fill(std::u16string_view text, std::u16string_view path, const SystemError& status) {
  constexpr std::u16string_view kFields = u"pbram";
  const std::u16string values[] = {
      std::u16string(path), status.code != 0 ? u" (" + ErrorText(status) + u")" : u"",
      ReportedReason(u"system", status), RefusedReason(status), NumberText(kMaxBackupSize)};
  std::u16string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const std::size_t field = i + 2 < text.size() && text[i] == u'{' && text[i + 2] == u'}'
                                  ? kFields.find(text[i + 1])
                                  : std::u16string_view::npos;
    line += field == std::u16string_view::npos ? std::u16string(1, text[i]) : values[field];
    if (field != std::u16string_view::npos)
      i += 2;
  }
  return line;
}

std::u16string Line(Act act, const BackupResult& result) {
  return Fill(WordingFor(act, result), result.path, result.status);
}

// Why an entry is not used, by EntryForm.
constexpr std::u16string_view kNotUsedWordings[] = {
    u"The folder {p} was not made by an administrator",
    u"{p} is a file where a folder belongs",
    u"{p} is a junction or link to another place",
    u"{p} could not be opened{b}",
    u"The owner of {p} could not be read{b}",
    u"The file {p} was not made by an administrator",
    u"The folder {p} was made before Tarnwick kept its folders closed to everyone but "
    u"administrators",
};

}  // namespace

std::u16string NotUsedMessage(const NotUsed& entry) {
  const std::u16string why =
      Fill(kNotUsedWordings[static_cast<int>(entry.form)], entry.path, entry.status);
  if (entry.instead.empty())
    return why + u", so it is not used.";
  return why + u", so it is not used: Tarnwick keeps its backups and its lock in " + entry.instead +
         u" instead" +
         (entry.form == EntryForm::kEarlier ? u", and still reads the backups saved in it." : u".");
}

std::u16string UnprotectedMessage(std::u16string_view folder) {
  return u"The backups and the lock in " + std::u16string(folder) +
         u" cannot be protected: its volume keeps no permissions, so anyone can change or remove "
         u"them.";
}

std::u16string BackupSavedMessage(std::u16string_view path) {
  return u"Backup saved to: " + std::u16string(path);
}

std::u16string BackupFailureMessage(std::u16string_view where, const BackupResult& saved) {
  return u"Could not save a backup of " + std::u16string(where) + u": " + Line(kSave, saved) +
         u" The value was left unchanged.";
}

std::u16string LoadFailureMessage(const BackupResult& file) {
  if (file.outcome == BackupOutcome::kFileUntrusted)
    return UntrustedBackupMessage(file.path);
  return Line(kLoad, file) + std::u16string(kNothingRestored);
}

std::u16string ListFailureMessage(const BackupResult& listing) {
  return Line(kList, listing) + std::u16string(kNothingRestored);
}

std::u16string UntrustedBackupMessage(std::u16string_view path) {
  return u"The backup " + std::u16string(path) +
         u" was not made by an administrator, so it is not read.";
}

std::u16string RefusedBackupMessage(std::u16string_view path) {
  return u"The backup " + std::u16string(path) +
         u" is not a registry file as Tarnwick saves it, or it names other values than the two "
         u"that the update changes." +
         std::u16string(kNothingRestored);
}

std::u16string LockFailureMessage(const BackupResult& lock) {
  return u"Could not make sure that no other Tarnwick run is in progress: " + Line(kLock, lock) +
         u" Nothing was done.";
}

std::vector<std::u16string> LockMessages(const BackupResult& lock) {
  std::vector<std::u16string> lines;
  for (const NotUsed& entry : lock.notUsed)
    lines.push_back(NotUsedMessage(entry));
  if (lock.unprotected)
    lines.push_back(UnprotectedMessage(lock.path.substr(0, lock.path.rfind(u'\\'))));
  if (lock.outcome == BackupOutcome::kBusy)
    lines.emplace_back(kAnotherRunInProgress);
  else if (!lock.ok())
    lines.push_back(LockFailureMessage(lock));
  return lines;
}

}  // namespace tarnwick
