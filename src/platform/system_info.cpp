#include "platform/system_info.h"

#include <algorithm>
#include <string>

#include "platform/text.h"

namespace tarnwick {
namespace {

constexpr std::size_t kSystemDirChars = 1024;
constexpr std::size_t kNameChars = 256;

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
  std::u16string buffer(kNameChars, u' ');
  std::uint32_t size = kNameChars;
  if (!api.GetComputerName(buffer, size))
    return {};
  buffer.resize(std::min<std::size_t>(size, buffer.size()));
  return buffer;
}

std::u16string UserName(SystemInfoApi& api) {
  std::u16string buffer(kNameChars, u' ');
  std::uint32_t size = kNameChars;
  if (!api.GetUserName(buffer, size) || size == 0)
    return {};
  // The reported size counts the terminating NUL.
  buffer.resize(std::min<std::size_t>(size - 1, buffer.size()));
  return buffer;
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
