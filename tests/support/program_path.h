// The program that tests start, from TARNWICK_EXE; a Unix path is reached through drive Z:.
#pragma once

#include <windows.h>

#include <string>

namespace tarnwick::testing {

inline std::wstring ProgramPath() {
  wchar_t buffer[MAX_PATH * 2] = {};
  const DWORD length = GetEnvironmentVariableW(L"TARNWICK_EXE", buffer, MAX_PATH * 2);
  std::wstring path(buffer, length < MAX_PATH * 2 ? length : 0);
  if (!path.empty() && path[0] == L'/') {
    for (wchar_t& c : path)
      c = c == L'/' ? L'\\' : c;
    path = L"Z:" + path;
  }
  return path;
}

}  // namespace tarnwick::testing
