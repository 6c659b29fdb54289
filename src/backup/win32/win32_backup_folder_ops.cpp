#include "backup/win32/win32_backup_folder_ops.h"

#include <shlobj.h>
#include <windows.h>
#include <winternl.h>

#include <algorithm>

#include "platform/win32/system_library.h"
#include "platform/win32/unforeseeable.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/windows_error.h"

namespace tarnwick::win32 {
namespace {

// NtCreateFile's success code for an open that broke someone's oplock without waiting; the
// program reports it as ERROR_OPLOCK_BREAK_IN_PROGRESS.
constexpr NTSTATUS kOplockBreakInProgress = 0x00000108;

// Windows' error code for the NTSTATUS of a failed ntdll call.
SystemError NtError(const RunTimeFunctions& functions, NTSTATUS status) {
  const auto toDos = functions.RtlNtStatusToDosError;
  return WindowsError(toDos != nullptr ? toDos(status) : ERROR_GEN_FAILURE);
}

// The name NtCreateFile takes for the absolute path `path`: "\??\C:\..." for a drive path,
// "\??\UNC\server\share\..." for a share.
std::wstring NtName(std::u16string_view path) {
  const std::wstring wide = Wide(path);
  if (wide.starts_with(L"\\\\?\\"))
    return L"\\??\\" + wide.substr(4);
  if (wide.starts_with(L"\\\\"))
    return L"\\??\\UNC\\" + wide.substr(2);
  return L"\\??\\" + wide;
}

class Win32OpenItem final : public OpenItem {
 public:
  Win32OpenItem(UniqueFile handle, std::wstring path, OwnerRule& owners)
      : handle_(std::move(handle)), path_(std::move(path)), owners_(owners) {}

  HANDLE handle() const { return handle_.get(); }

  SystemError Facts(ItemFacts& facts) override {
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!::GetFileInformationByHandle(handle_.get(), &info))
      return LastWindowsError();
    // The handle shows what was opened. Wine opens through a symbolic link even when asked
    // not to, and shows the link only on the name, which it reads with an open for attributes
    // alone; such an open breaks no oplock.
    const DWORD named = ::GetFileAttributesW(path_.c_str());
    facts.folder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    facts.link = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
                 (named != INVALID_FILE_ATTRIBUTES && (named & FILE_ATTRIBUTE_REPARSE_POINT) != 0);
    return {};
  }

  SystemError OwnerTrusted(bool& trusted) override {
    return WindowsError(owners_.Trusted(handle_.get(), trusted));
  }

  SystemError Read(std::size_t limit, std::vector<std::byte>& contents) override {
    contents.clear();
    if (!::SetFilePointerEx(handle_.get(), LARGE_INTEGER{}, nullptr, FILE_BEGIN))
      return LastWindowsError();
    while (contents.size() < limit) {
      const std::size_t at = contents.size();
      const auto chunk = static_cast<DWORD>(std::min<std::size_t>(limit - at, 64 * 1024));
      contents.resize(at + chunk);
      DWORD read = 0;
      if (!::ReadFile(handle_.get(), contents.data() + at, chunk, &read, nullptr)) {
        contents.clear();
        return LastWindowsError();
      }
      contents.resize(at + read);
      if (read == 0)
        break;
    }
    return {};
  }

 private:
  UniqueFile handle_;
  std::wstring path_;
  OwnerRule& owners_;
};

}  // namespace

Win32BackupFolderOps::Win32BackupFolderOps(SystemInfoApi& system, const RunTimeFunctions& functions,
                                           std::u16string base, std::wstring recordKey)
    : system_(system),
      base_(std::move(base)),
      recordKey_(std::move(recordKey)),
      functions_(functions),
      owners_(Wide(SystemDir(system))) {}

// Every open of something that may be there already, as NtCreateFile makes it:
// - FILE_OPEN_REPARSE_POINT: a junction or symbolic link is opened as itself, never followed.
// - FILE_COMPLETE_IF_OPLOCKED: where someone holds an oplock that the open breaks, NtCreateFile
//   returns at once with the success code STATUS_OPLOCK_BREAK_IN_PROGRESS and a valid handle,
//   instead of waiting until they acknowledge the break ("Complete this operation immediately
//   with an alternate success code of STATUS_OPLOCK_BREAK_IN_PROGRESS if the target file is
//   oplocked, rather than blocking the caller's thread", ZwCreateFile), which they may never do
//   ("The system would wait forever to receive the acknowledgment as there's no timeout",
//   Breaking Oplocks). It is honoured from NT 4 on. A read, write, rename or removal through that
//   handle would still wait for the break ("Checking the Oplock State of an IRP_MJ_READ /
//   IRP_MJ_SET_INFORMATION Operation"); closing it does not ("IRP_MJ_CLEANUP": "No
//   acknowledgment is required"), and neither do its queries for attributes and owner, which no
//   oplock is checked on. So such a handle is closed unused (kInUse, error 742), unless
//   `oplockedIsFine`: the lock file, which is never read or written.
// - An open that asks for no data access (READ_CONTROL, FILE_READ_ATTRIBUTES, SYNCHRONIZE)
//   breaks no oplock at all ("if the desired access contains nothing other than
//   FILE_READ_ATTRIBUTES, FILE_WRITE_ATTRIBUTES, or SYNCHRONIZE, the oplock does not break";
//   READ_CONTROL does break a file's Level 1, batch or filter oplock, hence the flag), and is
//   checked against no sharing mode ([MS-FSA] 2.1.5.1.2.2), so nobody's open can refuse it; on
//   a directory, whose oplocks (Windows 8 on, read and read-handle only) break on an open only
//   where its sharing conflicts, it never makes anybody wait.
Opened Win32BackupFolderOps::Open(std::u16string_view path, ACCESS_MASK access, ULONG share,
                                  ULONG disposition, bool oplockedIsFine,
                                  AdminOnlySecurity* security) {
  if (functions_.NtCreateFile == nullptr)
    return {WindowsError(ERROR_PROC_NOT_FOUND), nullptr};
  const std::wstring name = NtName(path);
  UNICODE_STRING text = {static_cast<USHORT>(name.size() * sizeof(wchar_t)),
                         static_cast<USHORT>(name.size() * sizeof(wchar_t)),
                         const_cast<wchar_t*>(name.c_str())};
  OBJECT_ATTRIBUTES object = {};
  InitializeObjectAttributes(&object, &text, OBJ_CASE_INSENSITIVE, nullptr,
                             security != nullptr ? security->descriptor() : nullptr);
  IO_STATUS_BLOCK io = {};
  UniqueFile handle;
  const NTSTATUS status = functions_.NtCreateFile(
      handle.put(), access | SYNCHRONIZE, &object, &io, nullptr, FILE_ATTRIBUTE_NORMAL, share,
      disposition,
      FILE_OPEN_REPARSE_POINT | FILE_COMPLETE_IF_OPLOCKED | FILE_SYNCHRONOUS_IO_NONALERT, nullptr,
      0);
  if (status < 0) {
    handle.release();
    return {NtError(functions_, status), nullptr};
  }
  if (status == kOplockBreakInProgress && !oplockedIsFine)
    return {WindowsError(kErrorOplockBreakInProgress), nullptr};
  return {{}, std::make_unique<Win32OpenItem>(std::move(handle), Wide(path), owners_)};
}

SystemError Win32BackupFolderOps::BaseFolder(std::u16string& path) {
  if (!base_.empty()) {
    path = base_;
    return {};
  }
  const SystemDll<Shell32Functions> shell32(system_, functions_);
  if (shell32.SHGetFolderPathW == nullptr)
    return LastWindowsError();
  wchar_t folder[MAX_PATH] = {};
  const HRESULT found = shell32.SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, folder);
  if (FAILED(found))
    return WindowsError(found);
  path = Utf16(folder);
  return {};
}

// The volume that holds a path, and whether it keeps ACLs: GetVolumePathNameW and
// GetVolumeInformationW's FILE_PERSISTENT_ACLS ("NTFS ... preserves and enforces ACLs, and the
// FAT file system does not"), both from XP on (XP has no GetVolumeInformationByHandleW).
SystemError Win32BackupFolderOps::Permissions(std::u16string_view path, VolumePermissions& kept) {
  auto keeps = [](const std::wstring& at, bool& kept) {
    wchar_t root[MAX_PATH + 1] = {};
    DWORD flags = 0;
    if (!::GetVolumePathNameW(at.c_str(), root, MAX_PATH + 1) ||
        !::GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0))
      return LastWindowsError();
    kept = (flags & FILE_PERSISTENT_ACLS) != 0;
    return SystemError{};
  };
  if (SystemError base = keeps(Wide(path), kept.base); !base.ok())
    return base;
  return keeps(Wide(SystemDir(system_)), kept.system);
}

SystemError Win32BackupFolderOps::RecordedFolder(std::u16string& name) {
  std::wstring recorded;
  const DWORD error = ReadFolderRecord(owners_, recordKey_, recorded);
  name = Utf16(recorded);
  return WindowsError(error);
}

SystemError Win32BackupFolderOps::RecordFolder(std::u16string_view name) {
  return WindowsError(WriteFolderRecord(owners_, keySecurity_, recordKey_, Wide(name)));
}

SystemError Win32BackupFolderOps::MakeFolder(std::u16string_view path) {
  if (folderSecurity_.error() != ERROR_SUCCESS)
    return WindowsError(folderSecurity_.error());
  if (!::CreateDirectoryW(Wide(path).c_str(), folderSecurity_.attributes()))
    return LastWindowsError();
  return {};
}

Opened Win32BackupFolderOps::OpenEntry(std::u16string_view path) {
  return Open(path, READ_CONTROL | FILE_READ_ATTRIBUTES,
              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN, false);
}

// The run lock: the file open with no sharing, which every other open for data or delete access
// fails beside with ERROR_SHARING_VIOLATION until the handle closes ([MS-FSA] 2.1.5.1.2.2);
// FILE_OPEN_IF, and never removed, as a file pending deletion would refuse every later open.
// An oplock on it does not hold a run off. Why: docs/security.md, "The lock".
Opened Win32BackupFolderOps::OpenLockFile(std::u16string_view path) {
  if (fileSecurity_.error() != ERROR_SUCCESS)
    return {WindowsError(fileSecurity_.error()), nullptr};
  return Open(path, GENERIC_READ | GENERIC_WRITE, 0, FILE_OPEN_IF, true, &fileSecurity_);
}

// Nobody may write it while it is open: the open fails with ERROR_SHARING_VIOLATION while
// somebody is writing it or holds it for deleting; readers that share reading do not matter.
Opened Win32BackupFolderOps::OpenFileToRead(std::u16string_view path) {
  return Open(path, GENERIC_READ, FILE_SHARE_READ, FILE_OPEN, false);
}

// Listed through a handle opened as Open opens: FindFirstFileW's own open of the folder would
// wait where somebody holds it without sharing and with a read-handle oplock (Windows 8 on), as
// an earlier release's folder, which users may list, may be held.
SystemError Win32BackupFolderOps::ListFiles(std::u16string_view path,
                                            std::vector<std::u16string>& names) {
  names.clear();
  Opened folder = Open(path, FILE_LIST_DIRECTORY,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN, false);
  if (!folder.result.ok())
    return folder.result;
  if (functions_.NtQueryDirectoryFile == nullptr)
    return WindowsError(ERROR_PROC_NOT_FOUND);
  const HANDLE handle = static_cast<Win32OpenItem&>(*folder.item).handle();
  alignas(8) BYTE buffer[16 * 1024];
  for (BOOLEAN restart = TRUE;; restart = FALSE) {
    IO_STATUS_BLOCK io = {};
    const NTSTATUS status = functions_.NtQueryDirectoryFile(
        handle, nullptr, nullptr, nullptr, &io, buffer, sizeof(buffer), FileDirectoryInformation,
        FALSE, nullptr, restart);
    if (status == static_cast<NTSTATUS>(0x80000006))  // STATUS_NO_MORE_FILES
      return {};
    if (status < 0)
      return NtError(functions_, status);
    for (const BYTE* at = buffer;;) {
      const auto* entry = reinterpret_cast<const FILE_DIRECTORY_INFORMATION*>(at);
      if ((entry->FileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        names.emplace_back(reinterpret_cast<const char16_t*>(entry->FileName),
                           entry->FileNameLength / sizeof(wchar_t));
      if (entry->NextEntryOffset == 0)
        break;
      at += entry->NextEntryOffset;
    }
  }
}

// A new file: nobody can hold an oplock on what did not exist ("newly created streams cannot
// have pre-existing oplocks on them"), and while it is open without sharing nobody else can open
// it for reading or writing. Only administrators can open anything in the folder, so removing
// a file not written whole waits on nobody else.
SystemError Win32BackupFolderOps::WriteNewFile(std::u16string_view path,
                                               std::span<const std::byte> contents) {
  if (fileSecurity_.error() != ERROR_SUCCESS)
    return WindowsError(fileSecurity_.error());
  const std::wstring name = Wide(path);
  UniqueFile file(::CreateFileW(name.c_str(), GENERIC_WRITE, 0, fileSecurity_.attributes(),
                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                                nullptr));
  if (!file.valid())
    return LastWindowsError();
  SystemError result;
  for (std::size_t done = 0; done < contents.size() && result.ok();) {
    DWORD written = 0;
    const auto chunk = static_cast<DWORD>(std::min<std::size_t>(contents.size() - done, 1 << 20));
    if (!::WriteFile(file.get(), contents.data() + done, chunk, &written, nullptr) || written == 0)
      result =
          WindowsError(::GetLastError() != ERROR_SUCCESS ? ::GetLastError() : ERROR_WRITE_FAULT);
    done += written;
  }
  if (result.ok() && !::FlushFileBuffers(file.get()))
    result = LastWindowsError();
  if (!file.Close() && result.ok())
    result = LastWindowsError();
  if (!result.ok())
    ::DeleteFileW(name.c_str());
  return result;
}

BackupStamp Win32BackupFolderOps::LocalTime() {
  SYSTEMTIME now = {};
  ::GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

// A count of the draws makes each differ from the one before, however soon it comes.
std::uint64_t Win32BackupFolderOps::Unforeseeable() {
  return UnforeseeableNumber() ^ (++draws_ * 0x9E3779B97F4A7C15ull);
}

void Win32BackupFolderOps::Pause(std::uint32_t milliseconds) {
  ::Sleep(milliseconds);
}

}  // namespace tarnwick::win32
