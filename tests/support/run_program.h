// Starts the real program with its standard output redirected to a file, waits for it to end,
// and closes whatever windows it shows meanwhile. The exit code is read here in full: a Linux
// exit status keeps only its low 8 bits.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "program_path.h"

namespace tarnwick::testing {

struct Finished {
  DWORD exitCode = ~DWORD{0};
  std::string output;               // what the program wrote to its standard output
  std::vector<std::wstring> boxes;  // texts of the message boxes it showed, which were closed
  bool otherWindow = false;         // it showed a window that is not a message box
};

struct ProgramSearch {
  DWORD process;
  Finished* finished;
};

inline BOOL CALLBACK CloseWindowsOf(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<ProgramSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->process || !IsWindowVisible(window))
    return TRUE;
  wchar_t className[64] = {};
  GetClassNameW(window, className, 64);
  if (std::wstring(className) == L"#32770") {
    wchar_t text[2048] = {};
    GetDlgItemTextW(window, 0xFFFF, text, 2048);
    search->finished->boxes.emplace_back(text);
    PostMessageW(window, WM_COMMAND, IDOK, 0);
  } else {
    search->finished->otherWindow = true;
    PostMessageW(window, WM_CLOSE, 0, 0);
  }
  return TRUE;
}

// `command` is a whole command line, its program's path quoted.
inline Finished RunCommand(std::wstring command) {
  Finished finished;
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  // One file per thread: programs may run side by side.
  const std::wstring outputPath = std::wstring(temp) + L"tarnwick-silent-output-" +
                                  std::to_wstring(GetCurrentThreadId()) + L".txt";
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  HANDLE output = CreateFileW(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_NE(output, INVALID_HANDLE_VALUE);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = output;
  startup.hStdError = output;
  startup.hStdInput = nullptr;
  PROCESS_INFORMATION process = {};
  const BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      nullptr, &startup, &process);
  CloseHandle(output);
  EXPECT_TRUE(started) << "error " << GetLastError();
  if (!started)
    return finished;
  ProgramSearch search{process.dwProcessId, &finished};
  while (WaitForSingleObject(process.hProcess, 50) == WAIT_TIMEOUT)
    EnumWindows(CloseWindowsOf, reinterpret_cast<LPARAM>(&search));
  GetExitCodeProcess(process.hProcess, &finished.exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);

  // A program started meanwhile from another thread may hold the file too, inherited.
  HANDLE written = CreateFileW(outputPath.c_str(), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(written, buffer, sizeof buffer, &read, nullptr) && read > 0)
    finished.output.append(buffer, read);
  CloseHandle(written);
  DeleteFileW(outputPath.c_str());
  return finished;
}

// `arguments` follow the program's quoted path; they start with a blank.
inline Finished RunProgram(const std::wstring& arguments) {
  return RunCommand(L"\"" + ProgramPath() + L"\"" + arguments);
}

// The activity log's text ("\r\n" before each entry) as lines on standard output ("\r\n" after
// each), in UTF-8 (the texts here are ASCII).
inline std::string AsOutputLines(std::u16string_view log) {
  std::string lines(log.begin() + 2, log.end());
  return lines + "\r\n";
}

// What the program wrote, as UTF-16 (its output is UTF-8; these texts are ASCII).
inline std::u16string OutputText(const Finished& finished) {
  return std::u16string(finished.output.begin(), finished.output.end());
}

}  // namespace tarnwick::testing
