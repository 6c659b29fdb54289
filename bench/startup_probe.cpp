// startup_probe EXE CAPTION: starts EXE, prints the milliseconds until a visible top-level
// window with CAPTION belongs to it, then closes it.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

struct Search {
  DWORD process;
  const wchar_t* caption;
  HWND found;
};

BOOL CALLBACK Visit(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<Search*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t text[128];
  if (owner == search->process && IsWindowVisible(window) &&
      GetWindowTextW(window, text, 128) > 0 && wcscmp(text, search->caption) == 0) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / frequency.QuadPart;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fputs("usage: startup_probe EXE CAPTION\n", stderr);
    return 2;
  }
  std::wstring commandLine = L"\"" + std::wstring(argv[1]) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  LARGE_INTEGER start, now;
  QueryPerformanceCounter(&start);
  if (!CreateProcessW(argv[1], commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    std::fprintf(stderr, "startup_probe: cannot start (error %lu)\n", GetLastError());
    return 1;
  }
  Search search{process.dwProcessId, argv[2], nullptr};
  do {
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
    QueryPerformanceCounter(&now);
    if (!search.found)
      Sleep(1);
  } while (!search.found && Seconds(start, now) < 60);
  int result = 0;
  if (search.found) {
    std::printf("%.1f\n", 1000 * Seconds(start, now));
    PostMessageW(search.found, WM_CLOSE, 0, 0);
  } else {
    std::fputs("startup_probe: no window appeared\n", stderr);
    result = 1;
  }
  if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return result;
}
