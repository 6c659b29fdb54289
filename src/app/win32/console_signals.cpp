#include "app/win32/console_signals.h"

#include <windows.h>

namespace tarnwick::win32 {
namespace {

// What Windows does with a console's signals, XP to 11: for each signal it starts a thread in
// every process attached to the console and calls the handlers there, newest first, until one
// returns TRUE; the last is its own, which calls ExitProcess.
// - Ctrl+C and Ctrl+Break: no time limit; once a handler returns TRUE the process goes on.
// - Close (the console window's close control, or End Task): XP and Server 2003 wait for the
//   handler; when it returns TRUE or has not returned within the hung-program time-out
//   (SPI_GETHUNGAPPTIMEOUT, 5 s by default), Windows asks the user in its "End Program" box
//   whether to end the process, and keeps the console until it has ended. Vista and later end
//   the process when the handler returns, or at that time-out, whichever comes first.
// - Log-off and shutdown: up to Vista the same, with the time-out for ending programs
//   (WaitToKillAppTimeout); from 7 on, a process that has loaded user32, as this one has, gets
//   neither signal and is ended with the session as any window program is.
// So Ctrl+C and Ctrl+Break are ignored, and for the others this thread waits: the run goes on
// on its own thread, which takes milliseconds once it holds the lock, and its end ends the
// process with the run's exit code. Only a close that comes while the run still waits for
// another run's lock can reach the time-out; by then the run has read and written nothing,
// unless the lock came free in the last few milliseconds before it.
BOOL WINAPI OnConsoleSignal(DWORD signal) {
  if (signal == CTRL_C_EVENT || signal == CTRL_BREAK_EVENT)
    return TRUE;
  ::Sleep(INFINITE);
  return TRUE;
}

}  // namespace

void FinishRunThroughConsoleSignals() {
  ::SetConsoleCtrlHandler(OnConsoleSignal, TRUE);
}

}  // namespace tarnwick::win32
