// The file system operations that keeping backups needs, each with a typed result: the
// Windows build implements them over kernel32, ntdll and advapi32, tests in memory.
// No operation waits on what another process holds: an open that would have to wait for
// someone to let go of an oplock fails at once (kInUse) instead. Nothing that exists is ever
// renamed, replaced, removed or given other security: everything is made anew, with its
// security, or left as it is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system_error.h"

#include "backup/backup_names.h"

namespace tarnwick {

// What a failed folder operation means, from Windows' code for it.
enum class FsError {
  kNone,
  kNotFound,      // the item, or a folder on its way, does not exist
  kExists,        // something already has that name
  kAccessDenied,  // the rights asked for were refused
  kInUse,         // it is open elsewhere in a way that excludes this use, or someone holds an
                  // oplock on it that the open would have had to wait for
  kDiskFull,
  kOther,
};
FsError KindOf(const SystemError& error);

// What an open folder or file is, as seen through its handle.
struct ItemFacts {
  bool folder = false;
  bool link = false;  // a junction, symbolic link or other reparse point
};

// Whether volumes keep permissions (NTFS does; FAT and exFAT keep neither owners nor DACLs).
struct VolumePermissions {
  bool base = true;    // the volume of the base folder
  bool system = true;  // the volume of the Windows system directory
};

// A folder or file opened as itself (a link is opened, not followed), to be examined and read.
// Closed when destroyed.
class OpenItem {
 public:
  virtual ~OpenItem() = default;
  virtual SystemError Facts(ItemFacts& facts) = 0;
  // Whether its owner is one that only administrators can be: SYSTEM, Administrators or
  // TrustedInstaller (or, where the platform gives every object the same owner, the owner of the
  // Windows system directory). Asked before anything about it is changed.
  virtual SystemError OwnerTrusted(bool& trusted) = 0;
  // Reads from the start until the end or until `limit` bytes, whichever comes first.
  virtual SystemError Read(std::size_t limit, std::vector<std::byte>& contents) = 0;
};

struct Opened {
  SystemError result;
  std::unique_ptr<OpenItem> item;  // set when `result` is ok
};

// Where the record of the folder in use is kept, as the log names it.
inline constexpr std::u16string_view kFolderRecordPlace = u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Tarnwick";

class BackupFolderOps {
 public:
  virtual ~BackupFolderOps() = default;
  // The machine-wide folder that Tarnwick's folder goes under.
  virtual SystemError BaseFolder(std::u16string& path) = 0;
  // Whether the volume of `path`, and the Windows system directory's, keep permissions.
  virtual SystemError Permissions(std::u16string_view path, VolumePermissions& kept) = 0;
  // The name of the folder under the base folder that Tarnwick made and uses; empty when none is
  // recorded. Kept where only administrators can change it; a record that anybody else could
  // have changed reads as none.
  virtual SystemError RecordedFolder(std::u16string& name) = 0;
  virtual SystemError RecordFolder(std::u16string_view name) = 0;
  // Makes the folder `path` with the administrators-only owner and DACL; kExists when
  // something of that name is already there (which is not looked at).
  virtual SystemError MakeFolder(std::u16string_view path) = 0;
  // Opens whatever has the name `path` (a folder, a file, a link) as itself, to examine it; no
  // access to its contents is asked for, so no sharing mode keeps it from opening.
  virtual Opened OpenEntry(std::u16string_view path) = 0;
  // Opens the file `path` for reading and writing, sharing it with nobody, and makes it, with
  // access for SYSTEM and Administrators alone, when it is missing. kInUse while it is open
  // elsewhere for reading, writing or deleting. It is never read or written.
  virtual Opened OpenLockFile(std::u16string_view path) = 0;
  // Opens the file `path` to examine and read it; nobody else may write it while it is open,
  // and the open fails (kInUse) when somebody is writing it already.
  virtual Opened OpenFileToRead(std::u16string_view path) = 0;
  // The names of the items in the folder `path` that are not folders.
  virtual SystemError ListFiles(std::u16string_view path, std::vector<std::u16string>& names) = 0;
  // Writes `contents` to a new file `path` made with the administrators-only owner and DACL,
  // and flushes it; kExists when the name is taken. A file not written whole is removed.
  virtual SystemError WriteNewFile(std::u16string_view path,
                                   std::span<const std::byte> contents) = 0;
  virtual BackupStamp LocalTime() = 0;
  // A number that nobody else can foresee, for a name that nobody can have taken beforehand.
  virtual std::uint64_t Unforeseeable() = 0;
  // Waits `milliseconds` before the next try.
  virtual void Pause(std::uint32_t milliseconds) = 0;
};

}  // namespace tarnwick
