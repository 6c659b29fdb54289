// A RunLock that another run may be holding; it records the waits asked for.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/run_lock.h"

namespace tarnwick::testing {

class FakeRunLock final : public RunLock {
 public:
  bool heldElsewhere = false;
  bool held = false;
  std::vector<std::uint32_t> waits;

  bool Acquire(std::uint32_t waitMilliseconds) override {
    waits.push_back(waitMilliseconds);
    held = !heldElsewhere;
    return held;
  }
  void Release() override { held = false; }
};

}  // namespace tarnwick::testing
