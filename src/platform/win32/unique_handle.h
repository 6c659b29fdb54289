// Kernel handles closed when their owner goes: a file or folder handle, and a search handle.
#pragma once

#include <windows.h>

#include <utility>

namespace tarnwick::win32 {

class UniqueFile {
 public:
  explicit UniqueFile(HANDLE file) : file_(file) {}
  ~UniqueFile() { Close(); }
  UniqueFile(UniqueFile&& other) noexcept
      : file_(std::exchange(other.file_, INVALID_HANDLE_VALUE)) {}
  UniqueFile(const UniqueFile&) = delete;
  UniqueFile& operator=(const UniqueFile&) = delete;

  bool valid() const { return file_ != INVALID_HANDLE_VALUE && file_ != nullptr; }
  HANDLE get() const { return file_; }
  // Whether the handle closed cleanly; a failed close may mean data not written.
  bool Close() {
    if (!valid())
      return true;
    return ::CloseHandle(std::exchange(file_, INVALID_HANDLE_VALUE)) != FALSE;
  }

 private:
  HANDLE file_;
};

class UniqueFind {
 public:
  explicit UniqueFind(HANDLE find) : find_(find) {}
  ~UniqueFind() {
    if (valid())
      ::FindClose(find_);
  }
  UniqueFind(const UniqueFind&) = delete;
  UniqueFind& operator=(const UniqueFind&) = delete;

  bool valid() const { return find_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return find_; }

 private:
  HANDLE find_;
};

}  // namespace tarnwick::win32
