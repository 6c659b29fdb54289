#include "platform/win32/win32_system_info.h"

#include <windows.h>

#include <algorithm>
#include <limits>
#include <string>

#include "platform/win32/wide_text.h"

namespace tarnwick::win32 {
namespace {

wchar_t* Chars(std::span<char16_t> buffer) {
  return reinterpret_cast<wchar_t*>(buffer.data());
}

// Calls GetComputerNameW or GetUserNameW, which take the capacity and give the length through
// one DWORD.
bool AskName(BOOL(WINAPI* ask)(LPWSTR, LPDWORD), std::span<char16_t> buffer, std::uint32_t& size) {
  DWORD inOut = static_cast<DWORD>(std::min<std::size_t>(size, buffer.size()));
  const BOOL ok = ask(Chars(buffer), &inOut);
  size = inOut;
  return ok != FALSE;
}

}  // namespace

std::uint32_t Win32SystemInfo::GetSystemDirectory(std::span<char16_t> buffer) {
  auto size =
      static_cast<UINT>(std::min<std::size_t>(buffer.size(), std::numeric_limits<UINT>::max()));
  return ::GetSystemDirectoryW(Chars(buffer), size);
}

bool Win32SystemInfo::GetComputerName(std::span<char16_t> buffer, std::uint32_t& size) {
  return AskName(::GetComputerNameW, buffer, size);
}

bool Win32SystemInfo::GetUserName(std::span<char16_t> buffer, std::uint32_t& size) {
  return AskName(::GetUserNameW, buffer, size);
}

bool Win32SystemInfo::GetWindowsVersion(WindowsVersion& version) {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  if (functions_.RtlGetVersion == nullptr || functions_.RtlGetVersion(&info) != 0)
    return false;
  version = {info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber};
  return true;
}

bool Win32SystemInfo::IsNativeFile(std::u16string_view path) {
  // Only 64-bit Windows has these; elsewhere, and for a 64-bit program, nothing is redirected.
  const auto disable = functions_.Wow64DisableWow64FsRedirection;
  const auto revert = functions_.Wow64RevertWow64FsRedirection;
  PVOID redirection = nullptr;
  const bool disabled = disable != nullptr && revert != nullptr && disable(&redirection);
  const DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
  if (disabled)
    revert(redirection);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace tarnwick::win32
