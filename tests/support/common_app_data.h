// Where the program keeps its backups, as the system names the all-users application data
// folder for the tests to compare with.
#pragma once

#include <shlobj.h>
#include <windows.h>

#include <string>

namespace tarnwick::testing {

inline std::wstring CommonAppData() {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, path)))
    return {};
  return path;
}

inline std::wstring BackupFolder() {
  return CommonAppData() + L"\\Tarnwick\\Backups";
}

}  // namespace tarnwick::testing
