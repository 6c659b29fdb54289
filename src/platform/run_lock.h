// The machine-wide lock that keeps Tarnwick's runs one at a time: an update, a check or an undo
// reads, decides and writes with nobody else doing the same in between.
#pragma once

#include <cstdint>

namespace tarnwick {

class RunLock {
 public:
  virtual ~RunLock() = default;
  // Takes the lock, waiting up to `waitMilliseconds` while another run holds it (0: not at
  // all); whether it was had.
  virtual bool Acquire(std::uint32_t waitMilliseconds) = 0;
  // Gives back a lock that Acquire took.
  virtual void Release() = 0;
};

// Holds the lock from construction to destruction, when it could be had.
class HeldRunLock {
 public:
  HeldRunLock(RunLock& lock, std::uint32_t waitMilliseconds)
      : lock_(lock), held_(lock.Acquire(waitMilliseconds)) {}
  ~HeldRunLock() {
    if (held_)
      lock_.Release();
  }
  HeldRunLock(const HeldRunLock&) = delete;
  HeldRunLock& operator=(const HeldRunLock&) = delete;

  bool held() const { return held_; }

 private:
  RunLock& lock_;
  bool held_;
};

}  // namespace tarnwick
