// The log of a silent run: each message as one line with CR LF on the standard output the
// process was started with, or else on the console of its parent; as UTF-8 to a file or pipe,
// as UTF-16 text (WriteConsoleW) to a console. With neither, the messages go nowhere.
#pragma once

#include <windows.h>

#include "log/message_log.h"

namespace tarnwick::win32 {

class ConsoleLog final : public MessageLog {
 public:
  ConsoleLog();
  ~ConsoleLog() override;
  ConsoleLog(const ConsoleLog&) = delete;
  ConsoleLog& operator=(const ConsoleLog&) = delete;

  void LogMessage(std::u16string_view message) override;

 private:
  HANDLE output_ = INVALID_HANDLE_VALUE;
  HANDLE console_ = INVALID_HANDLE_VALUE;  // CONOUT$ when this object opened it
  bool isConsole_ = false;
};

}  // namespace tarnwick::win32
