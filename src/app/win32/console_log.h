// The log of a silent run: each message as one line with CR LF on the standard output the
// process was started with, or else on the console of its parent; as UTF-8 to a file or pipe,
// as UTF-16 text (WriteConsoleW) to a console. With neither, the messages go nowhere.
#pragma once

#include <windows.h>

#include "log/message_log.h"
#include "platform/win32/unique_handle.h"

namespace tarnwick::win32 {

class ConsoleLog final : public MessageLog {
 public:
  ConsoleLog();

  void LogMessage(std::u16string_view message) override;

 private:
  HANDLE output_ = INVALID_HANDLE_VALUE;
  UniqueFile console_;  // CONOUT$ when this object opened it
  bool isConsole_ = false;
};

// A silent run that writes to its parent's console also gets that console's signals: Ctrl+C and
// Ctrl+Break as the user goes on typing at the same prompt (cmd does not wait for a window
// program), and a close when the console window goes. Windows' own handler ends the process
// at once, even between two writes; this one lets the run finish and end the process itself,
// with its own exit code, even where the console has gone and its log lines with it.
// For the rest of the process. Call it once the process has its console: attaching to a
// console resets the process's handlers.
void FinishRunThroughConsoleSignals();

}  // namespace tarnwick::win32
