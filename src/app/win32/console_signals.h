// A silent run that writes to its parent's console also gets that console's signals: Ctrl+C and
// Ctrl+Break as the user goes on typing at the same prompt (cmd does not wait for a window
// program), and a close when the console window goes. Windows' own handler ends the process
// at once, even between two writes; this one lets the run finish and end the process itself,
// with its own exit code, even where the console has gone and its log lines with it.
#pragma once

namespace tarnwick::win32 {

// For the rest of the process. Call it once the process has its console: attaching to a
// console resets the process's handlers.
void FinishRunThroughConsoleSignals();

}  // namespace tarnwick::win32
