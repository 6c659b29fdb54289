// VersionInfoApi over version.dll, loaded at run time from the system directory by its full
// path. version.dll is not a known DLL: imported, it would be looked for beside the program
// first, where anyone who can drop a file (a Downloads folder) could plant their own.
#pragma once

#include "platform/system_info.h"
#include "platform/win32/system_library.h"
#include "version/version_info.h"

// Windows' headers define these names as macros for their A and W functions; keep them from
// renaming the members below in files that include those headers as well.
#undef GetFileVersionInfoSize
#undef GetFileVersionInfo
#undef VerQueryValue

namespace tarnwick::win32 {

class Win32VersionInfo final : public VersionInfoApi {
 public:
  // version.dll of SystemDir(system), loaded here and freed with this object.
  Win32VersionInfo(SystemInfoApi& system, const RunTimeFunctions& functions)
      : version_(system, functions) {}

  // Whether version.dll was loaded with all three functions; when not, every query fails.
  bool Loaded() const { return version_.AllFound(); }

  std::uint32_t GetFileVersionInfoSize(std::u16string_view path) override;
  bool GetFileVersionInfo(std::u16string_view path, std::span<std::byte> block) override;
  // The value's bytes, clamped to the block: VerQueryValueW counts string values in
  // characters and other values in bytes.
  std::optional<std::span<const std::byte>> VerQueryValue(std::span<const std::byte> block,
                                                          std::u16string_view subBlock) override;

 private:
  // Only the types of its functions are taken from the headers; the functions themselves are
  // looked up in the loaded DLL, so the program never imports version.dll.
  SystemDll<VersionFunctions> version_;
};

}  // namespace tarnwick::win32
