// One suite for the registry operations and the routines over them, run against every
// implementation: the in-memory double and, under Wine, the real registry. Each test works in
// a scratch key of its own below HKEY_CURRENT_USER and removes it afterwards.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "memory_registry.h"
#include "platform/registry_ops.h"

namespace tarnwick::testing {

struct RegistryBackend {
  std::string name;
  std::function<std::unique_ptr<RegistryOps>()> make;
};

class RegistryContract : public ::testing::TestWithParam<RegistryBackend> {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A path below the scratch key; the key is removed at the end of the test.
  std::u16string Scratch(std::u16string_view sub = {});
  void Seed(std::u16string_view sub, std::u16string_view name, RegType type,
            const std::vector<std::byte>& bytes);
  // The value as stored, read through the operations alone.
  std::optional<StoredValue> Stored(std::u16string_view sub, std::u16string_view name);

  std::unique_ptr<RegistryOps> ops_;

 private:
  std::u16string base_;
  std::vector<std::u16string> created_;
};

std::string BackendName(const ::testing::TestParamInfo<RegistryBackend>& info);

}  // namespace tarnwick::testing
