#include "platform/system_info.h"

#include <algorithm>
#include <string>

#include "platform/text.h"

namespace tarnwick {
namespace {

constexpr std::size_t kSystemDirChars = 1024;
constexpr std::size_t kNameChars = 256;

// A name that `ask` reports; `withNul` where the size it reports counts the terminating NUL.
std::u16string Name(SystemInfoApi& api,
                    bool (SystemInfoApi::*ask)(std::span<char16_t>, std::uint32_t&), bool withNul) {
  std::u16string buffer(kNameChars, u' ');
  std::uint32_t size = kNameChars;
  if (!(api.*ask)(buffer, size) || (withNul && size == 0))
    return {};
  buffer.resize(std::min<std::size_t>(size - (withNul ? 1 : 0), buffer.size()));
  return buffer;
}

}  // namespace

std::u16string SystemDir(SystemInfoApi& api) {
  std::u16string buffer(kSystemDirChars, u' ');
  std::uint32_t count = api.GetSystemDirectory(buffer);
  if (count >= buffer.size()) {
    // The buffer was too small and `count` is the size it needs; ask once more with that.
    buffer.assign(count, u' ');
    count = api.GetSystemDirectory(buffer);
    if (count >= buffer.size())
      count = 0;
  }
  buffer.resize(count);
  if (buffer.empty() || buffer.back() != u'\\')
    buffer.push_back(u'\\');
  return buffer;
}

std::u16string ComputerName(SystemInfoApi& api) {
  return Name(api, &SystemInfoApi::GetComputerName, false);
}

std::u16string UserName(SystemInfoApi& api) {
  return Name(api, &SystemInfoApi::GetUserName, true);
}

WindowsVersion RunningWindows(SystemInfoApi& api) {
  WindowsVersion version;
  if (!api.GetWindowsVersion(version))
    return {};
  return version;
}

std::u16string VersionText(const WindowsVersion& version) {
  return NumberText(version.major) + u"." + NumberText(version.minor) + u"." +
         NumberText(version.build);
}

}  // namespace tarnwick
