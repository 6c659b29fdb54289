#include "app/activity_log.h"

namespace tarnwick {

void ActivityLog::LogMessage(std::u16string_view message) {
  text_.reserve(text_.size() + 2 + message.size());
  text_ += u"\r\n";
  text_ += message;
}

}  // namespace tarnwick
