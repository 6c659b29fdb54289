// The program that tests start, from TARNWICK_EXE, and other paths the build passes in the
// environment; a Unix path is reached through drive Z:.
#pragma once

#include <windows.h>

#include <string>

namespace tarnwick::testing {

inline std::wstring PathFromEnvironment(const wchar_t* name) {
  wchar_t buffer[MAX_PATH * 2] = {};
  const DWORD length = GetEnvironmentVariableW(name, buffer, MAX_PATH * 2);
  std::wstring path(buffer, length < MAX_PATH * 2 ? length : 0);
  if (!path.empty() && path[0] == L'/') {
    for (wchar_t& c : path)
      c = c == L'/' ? L'\\' : c;
    path = L"Z:" + path;
  }
  return path;
}

inline std::wstring ProgramPath() {
  return PathFromEnvironment(L"TARNWICK_EXE");
}

}  // namespace tarnwick::testing
