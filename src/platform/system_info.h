// The system directory and the computer's and user's names. The platform fills buffers the
// way Windows does; the rules for turning what it reports into text live here.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// Windows' headers define these names as macros for their A and W functions; keep them from
// renaming the members below in files that include those headers as well.
#undef GetSystemDirectory
#undef GetComputerName
#undef GetUserName

namespace tarnwick {

// The version of Windows, as Windows reports it: 5.1 is XP, 6.1 is 7, 6.3 is 8.1, and 10.0 is 10
// and 11 (11 from build 22000 on).
struct WindowsVersion {
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t build = 0;

  // Whether this is `major`.`minor` or a later Windows.
  bool AtLeast(std::uint32_t atLeastMajor, std::uint32_t atLeastMinor) const {
    return major != atLeastMajor ? major > atLeastMajor : minor >= atLeastMinor;
  }
};

class SystemInfoApi {
 public:
  virtual ~SystemInfoApi() = default;
  // As GetSystemDirectoryW: the number of characters written without the terminator, the
  // size needed (terminator included) when the buffer is too small, or 0 on failure.
  virtual std::uint32_t GetSystemDirectory(std::span<char16_t> buffer) = 0;
  // As GetComputerNameW: `size` holds the buffer's capacity on entry and, on success, the
  // length of the name without the terminator.
  virtual bool GetComputerName(std::span<char16_t> buffer, std::uint32_t& size) = 0;
  // As GetUserNameW: `size` holds the buffer's capacity on entry and, on success, the length
  // of the name including the terminator.
  virtual bool GetUserName(std::span<char16_t> buffer, std::uint32_t& size) = 0;
  // The true version of the running Windows, whatever the program's manifest declares.
  virtual bool GetWindowsVersion(WindowsVersion& version) = 0;
  // Whether `path` names a file (not a folder) as Windows' own 64-bit programs see it: for a
  // 32-bit program on 64-bit Windows, the system directory is the real one, not its WOW64 view.
  virtual bool IsNativeFile(std::u16string_view path) = 0;
};

// The system directory, always ending in "\" ("\" alone when it cannot be had).
std::u16string SystemDir(SystemInfoApi& api);
// The computer's NetBIOS name; empty when it cannot be had.
std::u16string ComputerName(SystemInfoApi& api);
// The name of the user running the program; empty when it cannot be had.
std::u16string UserName(SystemInfoApi& api);
// The running Windows' version; 0.0.0 when it cannot be had.
WindowsVersion RunningWindows(SystemInfoApi& api);
// The version as "major.minor.build", for example "10.0.19045".
std::u16string VersionText(const WindowsVersion& version);

}  // namespace tarnwick
