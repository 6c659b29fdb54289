#include "registry_contract.h"

namespace tarnwick::testing {

INSTANTIATE_TEST_SUITE_P(Memory, RegistryContract,
                         ::testing::Values(RegistryBackend{
                             "Memory", [] { return std::make_unique<MemoryRegistry>(); }}),
                         BackendName);

}  // namespace tarnwick::testing
