// A registry that refuses every operation; tests derive from it and override the few
// operations their case is about.
#pragma once

#include "platform/registry_ops.h"

namespace tarnwick::testing {

class RefusingRegistry : public RegistryOps {
 public:
  SystemError OpenKey(RegKey, std::u16string_view, std::uint32_t, std::uint32_t, RegKey&) override {
    return kErrorAccessDenied;
  }
  SystemError CreateKey(RegKey, std::u16string_view, RegKey&) override {
    return kErrorAccessDenied;
  }
  SystemError QueryValue(RegKey, std::u16string_view, RegType&, std::byte*,
                         std::uint32_t&) override {
    return kErrorAccessDenied;
  }
  SystemError SetValue(RegKey, std::u16string_view, RegType, const std::byte*,
                       std::uint32_t) override {
    return kErrorAccessDenied;
  }
  SystemError DeleteValue(RegKey, std::u16string_view) override { return kErrorAccessDenied; }
  SystemError DeleteKey(RegKey, std::u16string_view) override { return kErrorAccessDenied; }
  SystemError CloseKey(RegKey) override { return kErrorSuccess; }
  SystemError FlushKey(RegKey) override { return kErrorAccessDenied; }
};

}  // namespace tarnwick::testing
