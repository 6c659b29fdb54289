// startup_probe ROUNDS EXE CAPTION [EXE CAPTION...]: starts each EXE in turn, waits until a
// visible top-level window with its CAPTION belongs to it, and ends it. One round that is not
// counted fills the caches; then ROUNDS rounds, each program started right after the one before
// it, so that the programs of one round see the same machine. Every other round runs them in
// the reverse order, so that none always follows the same one.
//
// Prints one line per counted round, in the programs' order: for each program "WALL CPU", the
// milliseconds from just before its process is created until its window shows, and the
// processor time (user and kernel) that its main thread, where the start-up runs, had used by
// then. It is the thread's because Wine 8 answers GetProcessTimes for another process with the
// caller's own times; and Wine reads it from Linux in clock ticks (10 ms, cut off), so it is to
// be averaged over rounds.
#include <windows.h>

#include "platform/win32/unique_handle.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

using Handle = tarnwick::win32::UniqueFile;

struct Program {
  std::wstring exe;
  std::wstring caption;
};

struct Start {
  double wallMs;
  double cpuMs;
};

struct Search {
  const wchar_t* caption;
  HWND found;
};

BOOL CALLBACK Visit(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<Search*>(context);
  wchar_t text[128];
  if (GetParent(window) == nullptr && IsWindowVisible(window) &&
      GetWindowTextW(window, text, 128) > 0 && wcscmp(text, search->caption) == 0) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

double Milliseconds(const FILETIME& time) {
  ULARGE_INTEGER value;
  value.LowPart = time.dwLowDateTime;
  value.HighPart = time.dwHighDateTime;
  return static_cast<double>(value.QuadPart) / 10000.0;
}

double ProcessorMs(HANDLE thread) {
  FILETIME created, exited, kernel, user;
  if (!GetThreadTimes(thread, &created, &exited, &kernel, &user))
    return -1;
  return Milliseconds(kernel) + Milliseconds(user);
}

// One start of `program`, until its window shows; nothing when it did not start or show it.
std::optional<Start> RunOnce(const Program& program, double msPerTick) {
  // It gets the probe's standard handles, as a program started from a shell does. Wine puts a
  // program started without standard input and output in a session of its own (setsid), and
  // so, on Linux, in a scheduling group of its own, which scripts/bench could not favour.
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  std::wstring commandLine = L"\"" + program.exe + L"\"";
  PROCESS_INFORMATION info{};
  LARGE_INTEGER start, now;
  QueryPerformanceCounter(&start);
  if (!CreateProcessW(program.exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                      nullptr, &startup, &info)) {
    std::fprintf(stderr, "startup_probe: cannot start %ls (error %lu)\n", program.exe.c_str(),
                 GetLastError());
    return std::nullopt;
  }
  const Handle process(info.hProcess);
  const Handle thread(info.hThread);
  // Only the windows of the program's first thread are looked through, which takes the Wine
  // server one request; looking through every window on the desktop, every millisecond, would
  // load the server that the program's own calls wait on.
  Search search{program.caption.c_str(), nullptr};
  double wallMs = 0;
  for (;;) {
    EnumThreadWindows(info.dwThreadId, Visit, reinterpret_cast<LPARAM>(&search));
    QueryPerformanceCounter(&now);
    wallMs = static_cast<double>(now.QuadPart - start.QuadPart) * msPerTick;
    if (search.found || wallMs > 60000)
      break;
    Sleep(1);
  }
  const double cpuMs = ProcessorMs(thread.get());
  TerminateProcess(process.get(), 0);
  WaitForSingleObject(process.get(), 10000);
  if (!search.found) {
    std::fprintf(stderr, "startup_probe: %ls showed no window\n", program.exe.c_str());
    return std::nullopt;
  }
  return Start{wallMs, cpuMs};
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int rounds = argc >= 4 && argc % 2 == 0 ? _wtoi(argv[1]) : 0;
  if (rounds < 1) {
    std::fputs("usage: startup_probe ROUNDS EXE CAPTION [EXE CAPTION...]\n", stderr);
    return 2;
  }
  std::vector<Program> programs;
  for (int i = 2; i + 1 < argc; i += 2)
    programs.push_back({argv[i], argv[i + 1]});
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  const double msPerTick = 1000.0 / static_cast<double>(frequency.QuadPart);

  std::vector<Start> round(programs.size());
  for (int run = 0; run <= rounds; ++run) {
    for (std::size_t turn = 0; turn < programs.size(); ++turn) {
      const std::size_t i = run % 2 == 0 ? programs.size() - 1 - turn : turn;
      const std::optional<Start> start = RunOnce(programs[i], msPerTick);
      if (!start)
        return 1;
      round[i] = *start;
    }
    if (run == 0)
      continue;
    for (std::size_t i = 0; i < round.size(); ++i)
      std::printf("%s%.1f %.1f", i > 0 ? " " : "", round[i].wallMs, round[i].cpuMs);
    std::printf("\n");
    std::fflush(stdout);
  }
  return 0;
}
