// The on-screen activity log: one text that grows by CR LF and a message per entry.
// The window shows Text() in its log box; nothing else reads it.
#pragma once

#include <string>
#include <string_view>

#include "log/message_log.h"

namespace tarnwick {

class ActivityLog final : public MessageLog {
 public:
  // Appends CR LF, then the message exactly as given.
  void LogMessage(std::u16string_view message) override {
    text_.reserve(text_.size() + 2 + message.size());
    text_ += u"\r\n";
    text_ += message;
  }

  const std::u16string& Text() const { return text_; }

 private:
  std::u16string text_;
};

}  // namespace tarnwick
