#include "platform/win32/win32_registry.h"
#include "registry_contract.h"

namespace tarnwick::testing {

INSTANTIATE_TEST_SUITE_P(Win32, RegistryContract,
                         ::testing::Values(RegistryBackend{
                             "Win32", [] { return std::make_unique<win32::Win32Registry>(); }}),
                         BackendName);

}  // namespace tarnwick::testing
