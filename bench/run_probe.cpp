// run_probe EXE [ARGUMENT...]: runs EXE with the arguments and its standard output sent to NUL,
// waits for it to end and prints "MILLISECONDS EXIT_CODE WINDOW", WINDOW being 1 when a visible
// top-level window of it appeared (which is then closed) and 0 otherwise.
#include <windows.h>

#include "platform/win32/unique_handle.h"

#include <cstdio>
#include <string>

namespace {

struct Search {
  DWORD process;
  HWND found;
};

BOOL CALLBACK Visit(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<Search*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->process && IsWindowVisible(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

using Handle = tarnwick::win32::UniqueFile;

std::wstring Quoted(const wchar_t* argument) {
  return L"\"" + std::wstring(argument) + L"\"";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fputs("usage: run_probe EXE [ARGUMENT...]\n", stderr);
    return 2;
  }
  std::wstring commandLine = Quoted(argv[1]);
  for (int i = 2; i < argc; ++i)
    commandLine += L" " + std::wstring(argv[i]);
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  Handle nul(CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                         OPEN_EXISTING, 0, nullptr));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nul.get();
  startup.hStdOutput = nul.get();
  startup.hStdError = nul.get();
  PROCESS_INFORMATION info{};
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  if (!CreateProcessW(argv[1], commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &info)) {
    std::fprintf(stderr, "run_probe: cannot start (error %lu)\n", GetLastError());
    return 1;
  }
  Handle process(info.hProcess);
  Handle thread(info.hThread);
  Search search{info.dwProcessId, nullptr};
  DWORD waited = 0;
  while (WaitForSingleObject(process.get(), 1) == WAIT_TIMEOUT) {
    if (search.found == nullptr) {
      EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
      if (search.found != nullptr)
        PostMessageW(search.found, WM_CLOSE, 0, 0);
    }
    if (++waited > 30000) {
      TerminateProcess(process.get(), 1);
      WaitForSingleObject(process.get(), 5000);
      break;
    }
  }
  QueryPerformanceCounter(&end);
  DWORD code = 0;
  GetExitCodeProcess(process.get(), &code);
  std::printf("%.1f %lu %d\n",
              1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart,
              code, search.found != nullptr ? 1 : 0);
  return 0;
}
