// The FileVersion string of an executable's version resource (module modVersionInfo).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// Windows' headers define these names as macros for their A and W functions; keep them from
// renaming the members below in files that include those headers as well.
#undef GetFileVersionInfoSize
#undef GetFileVersionInfo
#undef VerQueryValue

namespace tarnwick {

// The platform's version-information operations.
class VersionInfoApi {
 public:
  virtual ~VersionInfoApi() = default;
  // The size in bytes of the file's version information; 0 when it has none or is unreadable.
  virtual std::uint32_t GetFileVersionInfoSize(std::u16string_view path) = 0;
  // Fills `block` (sized from GetFileVersionInfoSize) with the version information.
  virtual bool GetFileVersionInfo(std::u16string_view path, std::span<std::byte> block) = 0;
  // The bytes of a sub-block inside `block`: for "\VarFileInfo\Translation" the translation
  // array, for a "\StringFileInfo\..." string its UTF-16 characters as the platform reports
  // them (the terminator may or may not be included). Nothing when the sub-block is absent.
  virtual std::optional<std::span<const std::byte>> VerQueryValue(std::span<const std::byte> block,
                                                                  std::u16string_view subBlock) = 0;
};

// Eight text fields; only the third, the file version, is ever filled.
struct FileVersionRecord {
  std::u16string Comments;
  std::u16string CompanyName;
  std::u16string FileVersion;
  std::u16string FileDescription;
  std::u16string InternalName;
  std::u16string LegalCopyright;
  std::u16string ProductName;
  std::u16string ProductVersion;
};

// Reads the FileVersion string under the file's first translation into record.FileVersion;
// whether it found one (record.FileVersion is empty when not).
bool ReadVersionInfo(VersionInfoApi& api, std::u16string_view path, FileVersionRecord& record);

// The file's FileVersion string, or "?" when it cannot be had for any reason.
std::u16string GetFileVersion(VersionInfoApi& api, std::u16string_view path);

}  // namespace tarnwick
