// CredSSP's two files, which Wine does not have, put into the prefix's native system directory
// (System32 also for a 32-bit test program: not its WOW64 view) for as long as this lives, or
// taken out of it; what was there is put back at the end.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/run_time_functions.h"

namespace tarnwick::testing {

class PlacedCredssp {
 public:
  // `present`: both files are there; otherwise neither is.
  explicit PlacedCredssp(bool present = true) {
    for (const wchar_t* name : {L"tspkg.dll", L"credssp.dll"}) {
      const std::wstring path = SystemDirectory() + L"\\" + name;
      Unredirected scope;
      const bool there = GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
      if (there == present)
        continue;
      if (present) {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(file, INVALID_HANDLE_VALUE) << "error " << GetLastError();
        CloseHandle(file);
      } else {
        EXPECT_TRUE(MoveFileW(path.c_str(), (path + L".away").c_str()));
      }
      changed_.push_back(path);
    }
    present_ = present;
  }
  ~PlacedCredssp() {
    Unredirected scope;
    for (const std::wstring& path : changed_) {
      if (present_)
        DeleteFileW(path.c_str());
      else
        MoveFileW((path + L".away").c_str(), path.c_str());
    }
  }
  PlacedCredssp(const PlacedCredssp&) = delete;
  PlacedCredssp& operator=(const PlacedCredssp&) = delete;

  static std::wstring SystemDirectory() {
    wchar_t path[MAX_PATH] = {};
    GetSystemDirectoryW(path, MAX_PATH);
    return path;
  }

 private:
  // WOW64's redirection of the system directory off for this thread, where there is any.
  class Unredirected {
   public:
    Unredirected() {
      off_ = functions_.Wow64DisableWow64FsRedirection != nullptr &&
             functions_.Wow64RevertWow64FsRedirection != nullptr &&
             functions_.Wow64DisableWow64FsRedirection(&old_);
    }
    ~Unredirected() {
      if (off_)
        functions_.Wow64RevertWow64FsRedirection(old_);
    }

   private:
    const win32::RunTimeFunctions functions_ = win32::RunTimeFunctions::OfThisWindows();
    PVOID old_ = nullptr;
    bool off_ = false;
  };

  std::vector<std::wstring> changed_;
  bool present_ = true;
};

}  // namespace tarnwick::testing
