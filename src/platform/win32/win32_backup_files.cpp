#include "platform/win32/win32_backup_files.h"

#include <shlobj.h>
#include <windows.h>

#include <cstdio>
#include <optional>

#include "platform/win32/unique_module.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_system_info.h"

namespace tarnwick::win32 {
namespace {

class UniqueFile {
 public:
  explicit UniqueFile(HANDLE file) : file_(file) {}
  ~UniqueFile() { Close(); }
  UniqueFile(const UniqueFile&) = delete;
  UniqueFile& operator=(const UniqueFile&) = delete;

  bool valid() const { return file_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return file_; }
  // Whether the handle closed cleanly; a failed close may mean data not written.
  bool Close() {
    if (file_ == INVALID_HANDLE_VALUE)
      return true;
    return ::CloseHandle(std::exchange(file_, INVALID_HANDLE_VALUE)) != FALSE;
  }

 private:
  HANDLE file_;
};

SavedFile Failure(DWORD error) {
  switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_SHARING_VIOLATION:
      return {SaveOutcome::kAccessDenied, {}, error};
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return {SaveOutcome::kDiskFull, {}, error};
    case ERROR_PATH_NOT_FOUND:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_NAME:
    case ERROR_DIRECTORY:
      return {SaveOutcome::kNoFolder, {}, error};
    default:
      return {SaveOutcome::kFailed, {}, error};
  }
}

std::optional<std::wstring> LocalAppData() {
  using GetFolderPathFn = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);
  Win32SystemInfo system;
  UniqueModule shell32(::LoadLibraryW(Wide(SystemDir(system) + u"shell32.dll").c_str()));
  auto getFolderPath = shell32.Function<GetFolderPathFn>("SHGetFolderPathW");
  if (getFolderPath == nullptr)
    return std::nullopt;
  wchar_t path[MAX_PATH] = {};
  if (FAILED(getFolderPath(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, path)))
    return std::nullopt;
  return std::wstring(path);
}

bool MakeFolder(const std::wstring& folder) {
  return ::CreateDirectoryW(folder.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
}

// Writes, flushes and closes; on any failure the file is removed again.
SavedFile WriteWhole(const std::wstring& path, DWORD disposition,
                     std::span<const std::byte> contents) {
  UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, disposition,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid())
    return Failure(::GetLastError());
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
    ::DeleteFileW(path.c_str());
    return Failure(error);
  }
  return {SaveOutcome::kSaved, Utf16(path), 0};
}

std::wstring FileName(const SYSTEMTIME& t, int attempt) {
  wchar_t name[64];
  std::swprintf(name, 64, L"registry-%04u-%02u-%02u_%02u%02u%02u", t.wYear, t.wMonth, t.wDay,
                t.wHour, t.wMinute, t.wSecond);
  std::wstring text = name;
  if (attempt > 1)
    text += L"-" + std::to_wstring(attempt);
  return text + L".reg";
}

}  // namespace

SavedFile Win32BackupFiles::SaveNew(std::span<const std::byte> contents) {
  std::wstring folder;
  if (folder_.empty()) {
    auto base = LocalAppData();
    if (!base)
      return {SaveOutcome::kNoFolder, {}, 0};
    folder = *base + L"\\Tarnwick";
    if (!MakeFolder(folder))
      return Failure(::GetLastError());
    folder += L"\\Backups";
  } else {
    folder = Wide(folder_);
  }
  if (!MakeFolder(folder)) {
    SavedFile failed = Failure(::GetLastError());
    if (failed.outcome == SaveOutcome::kFailed)
      failed.outcome = SaveOutcome::kNoFolder;
    return failed;
  }
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  for (int attempt = 1; attempt < 1000; ++attempt) {
    SavedFile saved = WriteWhole(folder + L"\\" + FileName(now, attempt), CREATE_NEW, contents);
    if (saved.outcome != SaveOutcome::kFailed || saved.status != ERROR_FILE_EXISTS)
      return saved;
  }
  return Failure(ERROR_FILE_EXISTS);
}

SavedFile Win32BackupFiles::Replace(std::u16string_view path, std::span<const std::byte> contents) {
  const std::wstring target = Wide(path);
  const std::wstring next = target + L".new";
  SavedFile saved = WriteWhole(next, CREATE_ALWAYS, contents);
  if (!saved.ok())
    return saved;
  if (!::MoveFileExW(next.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    SavedFile failed = Failure(::GetLastError());
    ::DeleteFileW(next.c_str());
    return failed;
  }
  return {SaveOutcome::kSaved, std::u16string(path), 0};
}

}  // namespace tarnwick::win32
