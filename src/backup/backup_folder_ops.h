// The file system operations that keeping backups needs, each with a typed result: the
// Windows build implements them over kernel32 and advapi32, tests in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "backup/backup_names.h"

namespace tarnwick {

enum class FsError {
  kNone,
  kNotFound,      // the item, or a folder on its way, does not exist
  kExists,        // something already has that name
  kAccessDenied,  // the rights asked for were refused
  kInUse,         // it is open elsewhere in a way that excludes this use
  kDiskFull,
  kOther,
};

struct FsResult {
  FsError error = FsError::kNone;
  std::uint32_t code = 0;  // the platform's error code, when it failed

  bool ok() const { return error == FsError::kNone; }
};

// What an open folder or file is, as seen through its handle.
struct ItemFacts {
  bool folder = false;
  bool link = false;        // a junction, symbolic link or other reparse point
  std::uint32_t names = 1;  // its hard links
};

// A folder or file opened as itself (a link is opened, not followed), to be examined, made
// administrators' own and read. Closed when destroyed; while open it cannot be deleted or
// renamed.
class OpenItem {
 public:
  virtual ~OpenItem() = default;
  virtual FsResult Facts(ItemFacts& facts) = 0;
  // Whether its owner is one that only administrators can be: SYSTEM, Administrators or
  // TrustedInstaller (or, where the platform gives every object the same owner, the owner of the
  // Windows system directory). Asked before anything about it is changed.
  virtual FsResult OwnerTrusted(bool& trusted) = 0;
  // Sets the protected administrators-only DACL; the owner stays as it is.
  virtual FsResult MakeAdminOnly() = 0;
  // Reads from the start until the end or until `limit` bytes, whichever comes first.
  virtual FsResult Read(std::size_t limit, std::vector<std::byte>& contents) = 0;
};

struct Opened {
  FsResult result;
  std::unique_ptr<OpenItem> item;  // set when `result` is ok
};

class BackupFolderOps {
 public:
  virtual ~BackupFolderOps() = default;
  // The machine-wide folder that the backup folders go under.
  virtual FsResult BaseFolder(std::u16string& path) = 0;
  // Makes the folder `path` with the administrators-only owner and DACL; kExists when
  // something of that name is already there (which is not looked at).
  virtual FsResult MakeFolder(std::u16string_view path) = 0;
  // Opens whatever has the name `path` (a folder, a file, a link) as itself, to examine it and
  // set its security; no access to its contents is asked for, so others may go on using it and
  // no sharing mode of theirs keeps it from opening.
  virtual Opened OpenFolder(std::u16string_view path) = 0;
  // Opens the file `path` for reading and writing, sharing it with nobody, and makes it, with
  // access for SYSTEM and Administrators alone, when it is missing. kInUse while it is open
  // elsewhere for reading, writing or deleting.
  virtual Opened OpenLockFile(std::u16string_view path) = 0;
  // Opens the file `path` to examine, secure and read it; nobody else may write it while it
  // is open, and the open fails (kInUse) when somebody is writing it already.
  virtual Opened OpenFileToLoad(std::u16string_view path) = 0;
  // The names of the items in the folder `path` that are not folders.
  virtual FsResult ListFiles(std::u16string_view path, std::vector<std::u16string>& names) = 0;
  // Writes `contents` to a new file `path` made with the administrators-only owner and DACL,
  // and flushes it; kExists when the name is taken. A file not written whole is removed.
  virtual FsResult WriteNewFile(std::u16string_view path, std::span<const std::byte> contents) = 0;
  // Removes the name `path` (a link, not what it points to).
  virtual FsResult Remove(std::u16string_view path) = 0;
  // Renames the file `from` to `to`, replacing a file there, written through to the disk.
  virtual FsResult MoveOver(std::u16string_view from, std::u16string_view to) = 0;
  // Renames the folder or file `from` to `to`; kExists when `to` is taken.
  virtual FsResult Rename(std::u16string_view from, std::u16string_view to) = 0;
  virtual BackupStamp LocalTime() = 0;
  // Waits `milliseconds` before the next try.
  virtual void Pause(std::uint32_t milliseconds) = 0;
};

}  // namespace tarnwick
