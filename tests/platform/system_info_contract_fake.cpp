#include "fake_system_info.h"
#include "system_info_contract.h"

namespace tarnwick::testing {

INSTANTIATE_TEST_SUITE_P(Fake, SystemInfoContract,
                         ::testing::Values(SystemInfoBackend{
                             "Fake",
                             [] {
                               auto api = std::make_unique<FakeSystemInfo>();
                               api->systemFiles.push_back(u"kernel32.dll");
                               return api;
                             }}),
                         [](const auto& info) { return info.param.name; });

}  // namespace tarnwick::testing
