#include "app/win32/elevation.h"

#include <windows.h>

#include "platform/win32/unique_handle.h"

namespace tarnwick::win32 {

bool RunsElevated() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
    return false;
  UniqueFile owned(token);
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  return ::GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size) &&
         elevation.TokenIsElevated != 0;
}

}  // namespace tarnwick::win32
