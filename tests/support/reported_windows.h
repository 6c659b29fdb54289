// The platform's system queries, but for the Windows version, which is the one a test says.
#pragma once

#include "platform/system_info.h"

namespace tarnwick::testing {

class ReportedWindows final : public SystemInfoApi {
 public:
  ReportedWindows(SystemInfoApi& real, WindowsVersion windows) : real_(real), windows_(windows) {}

  std::uint32_t GetSystemDirectory(std::span<char16_t> buffer) override {
    return real_.GetSystemDirectory(buffer);
  }
  bool GetComputerName(std::span<char16_t> buffer, std::uint32_t& size) override {
    return real_.GetComputerName(buffer, size);
  }
  bool GetUserName(std::span<char16_t> buffer, std::uint32_t& size) override {
    return real_.GetUserName(buffer, size);
  }
  bool GetWindowsVersion(WindowsVersion& version) override {
    version = windows_;
    return true;
  }
  bool IsNativeFile(std::u16string_view path) override { return real_.IsNativeFile(path); }

 private:
  SystemInfoApi& real_;
  WindowsVersion windows_;
};

}  // namespace tarnwick::testing
