// Time stamps at the edges of a start-up's phases: "LABEL TICKS" on standard output, TICKS being
// the performance counter, for phase_probe to read. They are written only by the programs built
// to be timed phase by phase (TARNWICK_PHASE_STAMPS); elsewhere they do nothing.
#pragma once

#include <windows.h>

#include <cstdio>

namespace tarnwick::bench {

inline void Stamp([[maybe_unused]] const char* label) {
#ifdef TARNWICK_PHASE_STAMPS
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  char line[64];
  const int length = std::snprintf(line, sizeof line, "%s %lld\n", label, now.QuadPart);
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line, static_cast<DWORD>(length), &written, nullptr);
#endif
}

// While it lives, stamps "visible" when a top-level window of this thread is about to show
// (WM_SHOWWINDOW): the moment that startup_probe waits for, give or take the message's own
// handling. Made just before the window shows, so that the hook slows nothing else.
class ShowingStamp {
 public:
  ShowingStamp() {
#ifdef TARNWICK_PHASE_STAMPS
    hook_ = SetWindowsHookExW(WH_CALLWNDPROC, Watch, nullptr, GetCurrentThreadId());
#endif
  }
  ShowingStamp(const ShowingStamp&) = delete;
  ShowingStamp& operator=(const ShowingStamp&) = delete;
  ~ShowingStamp() {
    if (hook_ != nullptr)
      UnhookWindowsHookEx(hook_);
  }

 private:
  static LRESULT CALLBACK Watch(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message->message == WM_SHOWWINDOW && message->wParam != FALSE &&
        GetParent(message->hwnd) == nullptr)
      Stamp("visible");
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }

  HHOOK hook_ = nullptr;
};

}  // namespace tarnwick::bench
