// A RunLock that another run may be holding, or that cannot be had; it records the waits asked
// for.
#pragma once

#include <cstdint>
#include <vector>

#include "backup/run_lock.h"

namespace tarnwick::testing {

class FakeRunLock final : public RunLock {
 public:
  bool heldElsewhere = false;
  // What Acquire gives while no other run holds the lock: held, unless set.
  LockResult result = LockResultOf(LockOutcome::kHeld);
  bool held = false;
  std::vector<std::uint32_t> waits;

  LockResult Acquire(std::uint32_t waitMilliseconds) override {
    waits.push_back(waitMilliseconds);
    if (heldElsewhere)
      return LockResultOf(LockOutcome::kBusy);
    held = result.held();
    return result;
  }
  void Release() override { held = false; }
};

}  // namespace tarnwick::testing
