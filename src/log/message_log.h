// Where a procedure reports what it reads, decides and writes: one message per call. The
// window's activity log and the command line's standard output both take these messages.
#pragma once

#include <string_view>

namespace tarnwick {

class MessageLog {
 public:
  virtual ~MessageLog() = default;
  // Records the message exactly as given; it may be empty or hold line breaks of its own.
  virtual void LogMessage(std::u16string_view message) = 0;
};

}  // namespace tarnwick
