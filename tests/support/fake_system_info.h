// A SystemInfoApi that fills buffers the way the Windows functions do, from set texts; file
// names match in any case of their letters, as Windows' do.
#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "platform/system_info.h"
#include "platform/text.h"

namespace tarnwick::testing {

class FakeSystemInfo final : public SystemInfoApi {
 public:
  std::u16string systemDirectory = u"C:\\Windows\\system32";
  std::optional<std::uint32_t> systemDirectoryCount;  // reported instead of the real count
  int systemDirectoryCalls = 0;

  std::u16string computerName = u"WORKSTATION";
  std::u16string userName = u"alice";
  bool namesFail = false;                        // both name calls fail
  std::uint32_t sizeLeftOnFailure = 0xFFFFFFFF;  // what a failing call leaves in `size`
  std::optional<std::uint32_t> userNameSize;     // reported instead of the real size

  WindowsVersion windows{5, 1, 2600};  // Windows XP unless a test says otherwise
  bool versionFails = false;
  // The files in the system directory; CredSSP's two are there unless a test says otherwise.
  std::vector<std::u16string> systemFiles = {u"tspkg.dll", u"credssp.dll"};

  std::uint32_t GetSystemDirectory(std::span<char16_t> buffer) override {
    ++systemDirectoryCalls;
    if (systemDirectory.size() + 1 > buffer.size())
      return static_cast<std::uint32_t>(systemDirectory.size() + 1);
    Fill(buffer, systemDirectory);
    return systemDirectoryCount.value_or(static_cast<std::uint32_t>(systemDirectory.size()));
  }

  bool GetComputerName(std::span<char16_t> buffer, std::uint32_t& size) override {
    if (!Fits(computerName, buffer, size))
      return false;
    Fill(buffer, computerName);
    size = static_cast<std::uint32_t>(computerName.size());
    return true;
  }

  bool GetUserName(std::span<char16_t> buffer, std::uint32_t& size) override {
    if (!Fits(userName, buffer, size))
      return false;
    Fill(buffer, userName);
    size = userNameSize.value_or(static_cast<std::uint32_t>(userName.size() + 1));
    return true;
  }

  bool GetWindowsVersion(WindowsVersion& version) override {
    if (versionFails)
      return false;
    version = windows;
    return true;
  }

  bool IsNativeFile(std::u16string_view path) override {
    return std::any_of(systemFiles.begin(), systemFiles.end(), [&](const std::u16string& name) {
      return EqualsIgnoringCase(path, systemDirectory + u"\\" + name);
    });
  }

 private:
  bool Fits(const std::u16string& name, std::span<char16_t> buffer, std::uint32_t& size) const {
    if (namesFail) {
      size = sizeLeftOnFailure;
      return false;
    }
    if (name.size() + 1 > std::min<std::size_t>(size, buffer.size())) {
      size = static_cast<std::uint32_t>(name.size() + 1);
      return false;
    }
    return true;
  }

  static void Fill(std::span<char16_t> buffer, const std::u16string& text) {
    std::copy(text.begin(), text.end(), buffer.begin());
    buffer[text.size()] = u'\0';
  }
};

}  // namespace tarnwick::testing
