// One suite for the system queries, run against every implementation: the double and, under
// Wine, kernel32's and advapi32's own functions. It holds each to what those functions answer.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/system_info.h"

namespace tarnwick::testing {

struct SystemInfoBackend {
  std::string name;
  std::function<std::unique_ptr<SystemInfoApi>()> make;
};

class SystemInfoContract : public ::testing::TestWithParam<SystemInfoBackend> {
 protected:
  void SetUp() override { api_ = GetParam().make(); }

  std::unique_ptr<SystemInfoApi> api_;
};

}  // namespace tarnwick::testing
