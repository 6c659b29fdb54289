#include "platform/win32/win32_system_info.h"

#include <windows.h>

#include <algorithm>
#include <limits>

// The members carry the names that windows.h defines as macros.
#undef GetSystemDirectory
#undef GetComputerName
#undef GetUserName

namespace tarnwick::win32 {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wchar_t holds UTF-16");

wchar_t* Chars(std::span<char16_t> buffer) {
  return reinterpret_cast<wchar_t*>(buffer.data());
}

DWORD Capacity(std::span<char16_t> buffer, std::uint32_t size) {
  return static_cast<DWORD>(std::min<std::size_t>(size, buffer.size()));
}

}  // namespace

std::uint32_t Win32SystemInfo::GetSystemDirectory(std::span<char16_t> buffer) {
  auto size =
      static_cast<UINT>(std::min<std::size_t>(buffer.size(), std::numeric_limits<UINT>::max()));
  return ::GetSystemDirectoryW(Chars(buffer), size);
}

bool Win32SystemInfo::GetComputerName(std::span<char16_t> buffer, std::uint32_t& size) {
  DWORD inOut = Capacity(buffer, size);
  BOOL ok = ::GetComputerNameW(Chars(buffer), &inOut);
  size = inOut;
  return ok != FALSE;
}

bool Win32SystemInfo::GetUserName(std::span<char16_t> buffer, std::uint32_t& size) {
  DWORD inOut = Capacity(buffer, size);
  BOOL ok = ::GetUserNameW(Chars(buffer), &inOut);
  size = inOut;
  return ok != FALSE;
}

bool Win32SystemInfo::GetWindowsVersion(WindowsVersion& version) {
  // ntdll is in every process; RtlGetVersion is there since Windows 2000.
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
  HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  if (ntdll == nullptr)
    return false;
  auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(
      reinterpret_cast<void (*)()>(::GetProcAddress(ntdll, "RtlGetVersion")));
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  if (rtlGetVersion == nullptr || rtlGetVersion(&info) != 0)
    return false;
  version = {info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber};
  return true;
}

}  // namespace tarnwick::win32
