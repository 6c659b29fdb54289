// SystemInfoApi over kernel32's and advapi32's wide-character functions.
#pragma once

#include "platform/system_info.h"
#include "platform/win32/run_time_functions.h"

// Windows' headers define these names as macros for their A and W functions; keep them from
// renaming the members below in files that include those headers as well.
#undef GetSystemDirectory
#undef GetComputerName
#undef GetUserName

namespace tarnwick::win32 {

class Win32SystemInfo final : public SystemInfoApi {
 public:
  // Keeps `functions`, which must outlive it.
  explicit Win32SystemInfo(const RunTimeFunctions& functions) : functions_(functions) {}
  explicit Win32SystemInfo(RunTimeFunctions&&) = delete;

  std::uint32_t GetSystemDirectory(std::span<char16_t> buffer) override;
  bool GetComputerName(std::span<char16_t> buffer, std::uint32_t& size) override;
  bool GetUserName(std::span<char16_t> buffer, std::uint32_t& size) override;
  // From ntdll's RtlGetVersion: GetVersionExW reports 6.2 on Windows 8.1 and later to a
  // program whose manifest does not list them, and the test programs carry no manifest.
  bool GetWindowsVersion(WindowsVersion& version) override;
  // With WOW64's file system redirection turned off for the one query, where there is any.
  bool IsNativeFile(std::u16string_view path) override;

 private:
  const RunTimeFunctions& functions_;
};

}  // namespace tarnwick::win32
