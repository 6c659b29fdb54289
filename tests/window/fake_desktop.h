// A shell and a message box that record what they are asked to do.
#pragma once

#include <windows.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "app/win32/form1_window.h"
#include "app/win32/open_as_user.h"

namespace tarnwick::testing {

inline std::wstring OrNull(const wchar_t* text) {
  return text != nullptr ? std::wstring(text) : std::wstring(L"<null>");
}

struct ShellRequest {
  HWND owner;
  std::wstring verb;
  std::wstring file;
  std::wstring parameters;
  std::wstring directory;
  int showCommand;
};

class FakeShell final : public win32::ShellApi {
 public:
  std::vector<ShellRequest> requests;
  // What Execute returns; by default, success.
  INT_PTR result = 42;
  bool throws = false;
  // The process's elevation, and whether a desktop shell takes requests; by default neither.
  bool elevated = false;
  bool desktop = false;
  // The verb and file of each request handed to the desktop's shell.
  std::vector<std::pair<std::wstring, std::wstring>> desktopRequests;

  bool RunsElevated() override { return elevated; }
  bool ExecuteOnDesktop(const wchar_t* verb, const wchar_t* file) override {
    if (!desktop)
      return false;
    desktopRequests.emplace_back(OrNull(verb), OrNull(file));
    return true;
  }

  HINSTANCE Execute(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                    const wchar_t* directory, int showCommand) override {
    requests.push_back(
        {owner, OrNull(verb), OrNull(file), OrNull(parameters), OrNull(directory), showCommand});
    if (throws)
      throw std::runtime_error("shell unavailable");
    return reinterpret_cast<HINSTANCE>(result);
  }
};

struct MessageBoxCall {
  HWND owner;
  std::wstring text;
  std::wstring caption;
  UINT type;
};

class FakeMessageBox final : public win32::MessageBoxApi {
 public:
  std::vector<MessageBoxCall> calls;

  int Show(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) override {
    calls.push_back({owner, OrNull(text), OrNull(caption), type});
    return IDOK;
  }
};

}  // namespace tarnwick::testing
