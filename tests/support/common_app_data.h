// Where the program keeps its backups, as the system names the all-users application data
// folder and the registry records the folder in use, for the tests to compare with; and the
// machine put back as before any run.
#pragma once

#include <shlobj.h>
#include <windows.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace tarnwick::testing {

inline std::wstring CommonAppData() {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, path)))
    return {};
  return path;
}

// The record's key under HKLM\SOFTWARE, in the 64-bit view whatever this program's bitness.
inline HKEY OpenSoftware() {
  HKEY software = nullptr;
  RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE", 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, &software);
  return software;
}

// The backup folder in use: in the folder that the record names, "Tarnwick" where it names none.
inline std::wstring BackupFolder() {
  wchar_t name[64] = L"Tarnwick";
  HKEY software = OpenSoftware();
  DWORD size = sizeof(name) - sizeof(wchar_t);
  HKEY record = nullptr;
  if (software != nullptr &&
      RegOpenKeyExW(software, L"Tarnwick", 0, KEY_QUERY_VALUE, &record) == ERROR_SUCCESS) {
    if (RegQueryValueExW(record, L"Folder", nullptr, nullptr, reinterpret_cast<BYTE*>(name),
                         &size) != ERROR_SUCCESS)
      wcscpy(name, L"Tarnwick");
    RegCloseKey(record);
  }
  if (software != nullptr)
    RegCloseKey(software);
  return CommonAppData() + L"\\" + name + L"\\Backups";
}

// No Tarnwick folder, none made in its place and no record, as on a machine where the program
// never ran.
inline void ResetTarnwickFolders() {
  std::error_code ignored;
  std::vector<std::filesystem::path> made;
  for (const auto& entry : std::filesystem::directory_iterator(CommonAppData(), ignored)) {
    const std::wstring name = entry.path().filename().wstring();
    if (name == L"Tarnwick" || name.rfind(L"Tarnwick-", 0) == 0)
      made.push_back(entry.path());
  }
  for (const auto& path : made)
    std::filesystem::remove_all(path, ignored);
  if (HKEY software = OpenSoftware()) {
    RegDeleteKeyW(software, L"Tarnwick");
    RegCloseKey(software);
  }
}

}  // namespace tarnwick::testing
