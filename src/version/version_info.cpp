#include "version/version_info.h"

#include <algorithm>
#include <array>
#include <exception>
#include <vector>

#include "platform/text.h"

namespace tarnwick {
namespace {

constexpr std::u16string_view kTranslationBlock = u"\\VarFileInfo\\Translation";

// The first entry of the translation table: language then code page, each 16-bit
// little-endian. A table shorter than one entry leaves the missing bytes zero.
std::uint32_t FirstTranslationKey(std::span<const std::byte> table) {
  std::array<std::uint32_t, 4> b{};
  for (std::size_t i = 0; i < b.size() && i < table.size(); ++i)
    b[i] = std::to_integer<std::uint32_t>(table[i]);
  return (b[1] << 24) | (b[0] << 16) | (b[3] << 8) | b[2];
}

// UTF-16LE characters up to the first NUL or the end of the bytes, whichever comes first.
std::u16string TextUpToNul(std::span<const std::byte> bytes) {
  std::u16string text = DecodeUtf16Le(bytes);
  text.resize(std::min(text.find(u'\0'), text.size()));
  return text;
}

}  // namespace

bool ReadVersionInfo(VersionInfoApi& api, std::u16string_view path, FileVersionRecord& record) {
  record.FileVersion.clear();

  std::uint32_t size = api.GetFileVersionInfoSize(path);
  if (size < 1)
    return false;
  std::vector<std::byte> block(size);
  if (!api.GetFileVersionInfo(path, block))
    return false;

  auto translation = api.VerQueryValue(block, kTranslationBlock);
  if (!translation)
    return false;

  std::u16string subBlock =
      u"\\StringFileInfo\\" + HexText(FirstTranslationKey(*translation), 8) + u"\\FileVersion";
  auto value = api.VerQueryValue(block, subBlock);
  if (!value)
    return false;

  record.FileVersion = TextUpToNul(*value);
  return true;
}

std::u16string GetFileVersion(VersionInfoApi& api, std::u16string_view path) {
  try {
    FileVersionRecord record;
    if (ReadVersionInfo(api, path, record))
      return record.FileVersion;
  } catch (const std::exception&) {
    // A block too large to hold (its size is the file's to say) counts as "cannot be had".
  }
  return u"?";
}

}  // namespace tarnwick
