#include "version/win32/win32_version_info.h"

#include <windows.h>
#include <winver.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "platform/text.h"
#include "platform/win32/wide_text.h"

namespace tarnwick::win32 {

namespace {

// Windows would read a path only up to an embedded NUL, so a different file than asked.
bool HasNul(std::u16string_view text) {
  return text.find(u'\0') != std::u16string_view::npos;
}

// Values under \StringFileInfo are text; VerQueryValueW gives their length in characters.
bool IsStringValue(std::u16string_view subBlock) {
  constexpr std::u16string_view kStrings = u"stringfileinfo\\";
  subBlock.remove_prefix(std::min(subBlock.find_first_not_of(u'\\'), subBlock.size()));
  return EqualsIgnoringCase(subBlock.substr(0, kStrings.size()), kStrings);
}

}  // namespace

std::uint32_t Win32VersionInfo::GetFileVersionInfoSize(std::u16string_view path) {
  if (!Loaded() || HasNul(path))
    return 0;
  DWORD handle = 0;
  return version_.GetFileVersionInfoSizeW(Wide(path).c_str(), &handle);
}

bool Win32VersionInfo::GetFileVersionInfo(std::u16string_view path, std::span<std::byte> block) {
  if (!Loaded() || HasNul(path) || block.empty() || block.size() > MAXDWORD)
    return false;
  return version_.GetFileVersionInfoW(Wide(path).c_str(), 0, static_cast<DWORD>(block.size()),
                                      block.data()) != FALSE;
}

std::optional<std::span<const std::byte>> Win32VersionInfo::VerQueryValue(
    std::span<const std::byte> block, std::u16string_view subBlock) {
  if (!Loaded() || block.empty() || HasNul(subBlock))
    return std::nullopt;
  void* value = nullptr;
  UINT length = 0;
  if (version_.VerQueryValueW(block.data(), Wide(subBlock).c_str(), &value, &length) == FALSE ||
      value == nullptr)
    return std::nullopt;

  // The value must lie inside the block; what the length claims beyond its end is cut off.
  auto begin = reinterpret_cast<std::uintptr_t>(block.data());
  auto end = begin + block.size();
  auto at = reinterpret_cast<std::uintptr_t>(value);
  if (at < begin || at > end)
    return std::nullopt;
  std::size_t bytes = IsStringValue(subBlock) ? std::size_t{length} * sizeof(wchar_t) : length;
  return block.subspan(at - begin, std::min<std::size_t>(bytes, end - at));
}

}  // namespace tarnwick::win32
