#include "backup/win32/win32_backup_folder_ops.h"

#include <sddl.h>
#include <shlobj.h>
#include <windows.h>

#include <algorithm>

#include "platform/win32/system_library.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/unique_module.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_system_info.h"
#include "platform/win32/windows_error.h"

namespace tarnwick::win32 {

AdminOnlySecurity::AdminOnlySecurity(const wchar_t* sddl) {
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1,
                                                              descriptor_.put(), nullptr)) {
    error_ = ::GetLastError();
    descriptor_.reset();
    return;
  }
  attributes_ = {sizeof(attributes_), descriptor_.get(), FALSE};
}

DWORD AdminOnlySecurity::ApplyTo(HANDLE handle) const {
  if (error_ != ERROR_SUCCESS)
    return error_;
  // Set on this object alone. SetSecurityInfo would also carry the new inheritable entries into
  // everything already in a folder, and so onto whatever a hard link planted there before the
  // folder was secured names, anywhere on the volume. The descriptor's DACL is marked protected.
  return ::SetKernelObjectSecurity(handle, DACL_SECURITY_INFORMATION, descriptor_.get())
             ? ERROR_SUCCESS
             : ::GetLastError();
}

namespace {

// NT SERVICE\TrustedInstaller, which owns the system's own files from Vista on.
constexpr wchar_t kTrustedInstallerSid[] =
    L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

// The owner SID of the object open as `handle`, copied out of its security descriptor.
DWORD OwnerOf(HANDLE handle, std::vector<BYTE>& owner) {
  std::vector<BYTE> descriptor(256);
  DWORD needed = 0;
  while (!::GetKernelObjectSecurity(handle, OWNER_SECURITY_INFORMATION, descriptor.data(),
                                    static_cast<DWORD>(descriptor.size()), &needed)) {
    const DWORD error = ::GetLastError();
    if (error != ERROR_INSUFFICIENT_BUFFER || needed <= descriptor.size())
      return error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE;
    descriptor.resize(needed);
  }
  PSID sid = nullptr;
  BOOL defaulted = FALSE;
  if (!::GetSecurityDescriptorOwner(descriptor.data(), &sid, &defaulted))
    return ::GetLastError();
  if (sid == nullptr || !::IsValidSid(sid))
    return ERROR_INVALID_SID;
  const auto* bytes = static_cast<const BYTE*>(sid);
  owner.assign(bytes, bytes + ::GetLengthSid(sid));
  return ERROR_SUCCESS;
}

bool IsTrustedInstaller(PSID sid) {
  UniqueLocal trustedInstaller;
  return ::ConvertStringSidToSidW(kTrustedInstallerSid, trustedInstaller.put()) &&
         ::EqualSid(sid, trustedInstaller.get()) != FALSE;
}

}  // namespace

DWORD Win32BackupFolderOps::OwnerTrusted(HANDLE handle, bool& trusted) {
  trusted = false;
  if (!systemOwner_) {
    systemOwner_.emplace();
    wchar_t system[MAX_PATH + 1] = {};
    const UINT length = ::GetSystemDirectoryW(system, MAX_PATH + 1);
    if (length > 0 && length <= MAX_PATH) {
      UniqueFile folder(::CreateFileW(system, READ_CONTROL,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
      if (folder.valid() && OwnerOf(folder.get(), *systemOwner_) != ERROR_SUCCESS)
        systemOwner_->clear();
    }
  }
  std::vector<BYTE> owner;
  if (DWORD error = OwnerOf(handle, owner); error != ERROR_SUCCESS)
    return error;
  PSID sid = owner.data();
  trusted = ::IsWellKnownSid(sid, WinLocalSystemSid) ||
            ::IsWellKnownSid(sid, WinBuiltinAdministratorsSid) || IsTrustedInstaller(sid) ||
            (!systemOwner_->empty() && ::EqualSid(sid, systemOwner_->data()) != FALSE);
  return ERROR_SUCCESS;
}

namespace {

FsError ErrorKind(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_NAME:
    case ERROR_DIRECTORY:
      return FsError::kNotFound;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return FsError::kExists;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
      return FsError::kAccessDenied;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return FsError::kInUse;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return FsError::kDiskFull;
    default:
      return FsError::kOther;
  }
}

FsResult Result(DWORD error) {
  return error == ERROR_SUCCESS ? FsResult{} : FsResult{ErrorKind(error), WindowsError(error)};
}

FsResult LastResult() {
  const DWORD error = ::GetLastError();
  return Result(error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE);
}

// Success, or the thread's last error when `done` is false.
FsResult Checked(BOOL done) {
  return done ? FsResult{} : LastResult();
}

class Win32OpenItem final : public OpenItem {
 public:
  Win32OpenItem(UniqueFile handle, std::wstring path, Win32BackupFolderOps& ops)
      : handle_(std::move(handle)), path_(std::move(path)), ops_(ops) {}

  FsResult Facts(ItemFacts& facts) override {
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!::GetFileInformationByHandle(handle_.get(), &info))
      return LastResult();
    // The handle shows what was opened. Wine opens through a symbolic link even when asked
    // not to, and shows the link only on the name, which the open handle keeps in place.
    const DWORD named = ::GetFileAttributesW(path_.c_str());
    facts.folder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    facts.link = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
                 (named != INVALID_FILE_ATTRIBUTES && (named & FILE_ATTRIBUTE_REPARSE_POINT) != 0);
    facts.names = info.nNumberOfLinks;
    return {};
  }

  FsResult OwnerTrusted(bool& trusted) override {
    return Result(ops_.OwnerTrusted(handle_.get(), trusted));
  }

  FsResult MakeAdminOnly() override { return Result(ops_.security().ApplyTo(handle_.get())); }

  FsResult Read(std::size_t limit, std::vector<std::byte>& contents) override {
    contents.clear();
    while (contents.size() < limit) {
      const std::size_t at = contents.size();
      const auto chunk = static_cast<DWORD>(std::min<std::size_t>(limit - at, 64 * 1024));
      contents.resize(at + chunk);
      DWORD read = 0;
      if (!::ReadFile(handle_.get(), contents.data() + at, chunk, &read, nullptr)) {
        contents.clear();
        return LastResult();
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
  Win32BackupFolderOps& ops_;
};

// Opens `path` itself, never what a link of that name points to; `disposition` and `security` as
// CreateFileW takes them.
Opened Open(const std::wstring& path, DWORD access, DWORD share, DWORD flags,
            Win32BackupFolderOps& ops, DWORD disposition = OPEN_EXISTING,
            SECURITY_ATTRIBUTES* security = nullptr) {
  UniqueFile handle(::CreateFileW(path.c_str(), access, share, security, disposition,
                                  flags | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!handle.valid())
    return {LastResult(), nullptr};
  return {{}, std::make_unique<Win32OpenItem>(std::move(handle), path, ops)};
}

}  // namespace

FsResult Win32BackupFolderOps::BaseFolder(std::u16string& path) {
  if (!base_.empty()) {
    path = base_;
    return {};
  }
  using GetFolderPathFn = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);
  Win32SystemInfo system;
  UniqueModule shell32 = LoadSystemLibrary(system, u"shell32.dll");
  auto getFolderPath = shell32.Function<GetFolderPathFn>("SHGetFolderPathW");
  if (getFolderPath == nullptr)
    return LastResult();
  wchar_t folder[MAX_PATH] = {};
  const HRESULT found = getFolderPath(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, folder);
  if (FAILED(found))
    return {FsError::kNotFound, WindowsError(static_cast<DWORD>(found))};
  path = Utf16(folder);
  return {};
}

FsResult Win32BackupFolderOps::MakeFolder(std::u16string_view path) {
  if (security_.error() != ERROR_SUCCESS)
    return Result(security_.error());
  return Checked(::CreateDirectoryW(Wide(path).c_str(), security_.attributes()));
}

Opened Win32BackupFolderOps::OpenFolder(std::u16string_view path) {
  // FILE_FLAG_BACKUP_SEMANTICS opens a file as well as a folder, and FILE_FLAG_OPEN_REPARSE_POINT
  // (added by Open) the link itself. No FILE_SHARE_DELETE: the folder cannot be renamed or
  // removed while it is open. READ_CONTROL, WRITE_DAC and FILE_READ_ATTRIBUTES are no access to
  // its contents, which is all that sharing modes govern: the open succeeds whatever sharing
  // the handles already open allow.
  return Open(Wide(path), READ_CONTROL | WRITE_DAC | FILE_READ_ATTRIBUTES,
              FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_FLAG_BACKUP_SEMANTICS, *this);
}

// The run lock, as Windows keeps it from XP to 11:
// - CreateFileW with dwShareMode 0: while the handle is open, any other open that asks for
//   reading, writing or deleting (FILE_READ_DATA, FILE_WRITE_DATA, DELETE, or GENERIC_READ or
//   GENERIC_WRITE) fails with ERROR_SHARING_VIOLATION (32), in this process or another, until
//   the handle is closed; Windows closes it when the process ends in any way. Sharing is checked
//   only between opens that ask for FILE_READ_DATA, FILE_EXECUTE, FILE_WRITE_DATA,
//   FILE_APPEND_DATA or DELETE ([MS-FSA] 2.1.5.1.2.2): an open for READ_CONTROL or
//   FILE_READ_ATTRIBUTES alone succeeds beside it, and does not keep it from being had.
// - OPEN_ALWAYS makes the file with the given security when it is missing and opens it as it is
//   otherwise (GetLastError then says ERROR_ALREADY_EXISTS, which is success).
// - The file stays in place between runs. FILE_FLAG_DELETE_ON_CLOSE would remove it when the last
//   handle closes, but any handle counts, also one opened with no access at all, which anybody
//   may open ("If this parameter is zero, the application can query certain metadata ... even if
//   GENERIC_READ access would have been denied"): a standard user holding such a handle would
//   leave the file pending deletion after the run, and every later open would fail with
//   ERROR_ACCESS_DENIED until they let go. Kept in place, the file is had whatever such handles
//   are open.
// - The file's DACL (kLockFileSddl) gives only SYSTEM and Administrators any access, so nobody
//   else can hold it open in a way that makes ERROR_SHARING_VIOLATION; the folder around it
//   lets only administrators make or rename anything in it.
// - FILE_FLAG_OPEN_REPARSE_POINT: a link of that name is opened as itself, never followed.
Opened Win32BackupFolderOps::OpenLockFile(std::u16string_view path) {
  if (lockSecurity_.error() != ERROR_SUCCESS)
    return {Result(lockSecurity_.error()), nullptr};
  return Open(Wide(path), GENERIC_READ | GENERIC_WRITE, 0, FILE_ATTRIBUTE_NORMAL, *this,
              OPEN_ALWAYS, lockSecurity_.attributes());
}

Opened Win32BackupFolderOps::OpenFileToLoad(std::u16string_view path) {
  return Open(Wide(path), GENERIC_READ, FILE_SHARE_READ, 0, *this);
}

FsResult Win32BackupFolderOps::ListFiles(std::u16string_view path,
                                         std::vector<std::u16string>& names) {
  names.clear();
  WIN32_FIND_DATAW found = {};
  UniqueFind find(::FindFirstFileW((Wide(path) + L"\\*").c_str(), &found));
  if (!find.valid())
    return ::GetLastError() == ERROR_FILE_NOT_FOUND ? FsResult{} : LastResult();
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
      names.push_back(Utf16(found.cFileName));
  } while (::FindNextFileW(find.get(), &found));
  return Checked(::GetLastError() == ERROR_NO_MORE_FILES);
}

FsResult Win32BackupFolderOps::WriteNewFile(std::u16string_view path,
                                            std::span<const std::byte> contents) {
  if (security_.error() != ERROR_SUCCESS)
    return Result(security_.error());
  const std::wstring name = Wide(path);
  UniqueFile file(::CreateFileW(name.c_str(), GENERIC_WRITE, 0, security_.attributes(), CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file.valid())
    return LastResult();
  DWORD error = ERROR_SUCCESS;
  std::size_t done = 0;
  while (done < contents.size() && error == ERROR_SUCCESS) {
    DWORD written = 0;
    const auto chunk = static_cast<DWORD>(std::min<std::size_t>(contents.size() - done, 1 << 20));
    if (!::WriteFile(file.get(), contents.data() + done, chunk, &written, nullptr) || written == 0)
      error = ::GetLastError() != ERROR_SUCCESS ? ::GetLastError() : ERROR_WRITE_FAULT;
    done += written;
  }
  if (error == ERROR_SUCCESS && !::FlushFileBuffers(file.get()))
    error = ::GetLastError();
  if (!file.Close() && error == ERROR_SUCCESS)
    error = ::GetLastError();
  if (error != ERROR_SUCCESS) {
    ::DeleteFileW(name.c_str());
    return Result(error);
  }
  return {};
}

FsResult Win32BackupFolderOps::Remove(std::u16string_view path) {
  return Checked(::DeleteFileW(Wide(path).c_str()));
}

FsResult Win32BackupFolderOps::MoveOver(std::u16string_view from, std::u16string_view to) {
  return Checked(::MoveFileExW(Wide(from).c_str(), Wide(to).c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
}

// MoveFileExW renames the name itself: a symbolic link or junction is renamed as the link, and
// what it points to is not opened. Renaming asks for DELETE on the entry, which Windows grants
// to whoever may delete the children of its folder (Administrators, in the all-users
// application data folder), whatever the entry's own DACL says. A folder in which a file is
// open, or an entry open without FILE_SHARE_DELETE, cannot be renamed (ERROR_ACCESS_DENIED or
// ERROR_SHARING_VIOLATION).
// Wine (8.0) keeps a link as a Unix symbolic link, opens through it even with
// FILE_FLAG_OPEN_REPARSE_POINT, and renames what it points to. A link is therefore renamed only
// where it opens as itself, as on Windows; elsewhere it stays, and ERROR_NOT_SUPPORTED says why.
FsResult Win32BackupFolderOps::Rename(std::u16string_view from, std::u16string_view to) {
  const std::wstring name = Wide(from);
  const DWORD named = ::GetFileAttributesW(name.c_str());
  if (named != INVALID_FILE_ATTRIBUTES && (named & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    UniqueFile link(::CreateFileW(
        name.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
        nullptr));
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!link.valid() || !::GetFileInformationByHandle(link.get(), &info))
      return LastResult();
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
      return Result(ERROR_NOT_SUPPORTED);
  }
  return Checked(::MoveFileExW(name.c_str(), Wide(to).c_str(), MOVEFILE_WRITE_THROUGH));
}

void Win32BackupFolderOps::Pause(std::uint32_t milliseconds) {
  ::Sleep(milliseconds);
}

BackupStamp Win32BackupFolderOps::LocalTime() {
  SYSTEMTIME now = {};
  ::GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

}  // namespace tarnwick::win32
