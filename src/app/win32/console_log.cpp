#include "app/win32/console_log.h"

#include <string>

#include "platform/win32/wide_text.h"

namespace tarnwick::win32 {
namespace {

std::string Utf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::uint32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;  // a lone surrogate
    }
    // A lead byte with the top bits, then six bits in each continuation byte.
    const int more = c < 0x80 ? 0 : c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    constexpr std::uint32_t kLead[] = {0x00, 0xC0, 0xE0, 0xF0};
    out += static_cast<char>(kLead[more] | (c >> (6 * more)));
    for (int shift = 6 * (more - 1); shift >= 0; shift -= 6)
      out += static_cast<char>(0x80 | ((c >> shift) & 0x3F));
  }
  return out;
}

bool IsUsable(HANDLE handle) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE)
    return false;
  const DWORD type = ::GetFileType(handle);
  return type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE || type == FILE_TYPE_CHAR;
}

// Hands `line` to `write` (WriteFile or WriteConsoleW) until all of it is written. A failed or
// empty write ends it: nobody is reading, and the run goes on regardless.
template <typename Text, typename Write>
void WriteAll(const Text& line, Write write) {
  for (std::size_t done = 0; done < line.size();) {
    DWORD written = 0;
    if (!write(line.data() + done, static_cast<DWORD>(line.size() - done), &written) ||
        written == 0)
      return;
    done += written;
  }
}

// Ctrl+C and Ctrl+Break are ignored; for a close, log-off or shutdown this thread waits, so the
// run finishes on its own thread and its end ends the process with its exit code, within the
// time Windows gives ("HandlerRoutine callback function": about 5 s for a close). What Windows
// does with each signal, XP to 11: docs/security.md, "Console signals".
BOOL WINAPI OnConsoleSignal(DWORD signal) {
  if (signal == CTRL_C_EVENT || signal == CTRL_BREAK_EVENT)
    return TRUE;
  ::Sleep(INFINITE);
  return TRUE;
}

}  // namespace

ConsoleLog::ConsoleLog() {
  // A redirection the process was started with comes first: attaching to the parent's
  // console before looking would lose it.
  HANDLE given = ::GetStdHandle(STD_OUTPUT_HANDLE);
  if (IsUsable(given)) {
    output_ = given;
  } else if (::AttachConsole(ATTACH_PARENT_PROCESS)) {
    console_.reset(::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr));
    output_ = console_.get();
  }
  DWORD mode = 0;
  isConsole_ = ::GetConsoleMode(output_, &mode) != FALSE;
}

void ConsoleLog::LogMessage(std::u16string_view message) {
  if (output_ == INVALID_HANDLE_VALUE)
    return;
  // A console reads bytes in its own code page, which need not be UTF-8; UTF-16 text it shows
  // as it is.
  if (isConsole_) {
    WriteAll(Wide(message) + L"\r\n", [&](const wchar_t* text, DWORD size, DWORD* written) {
      return ::WriteConsoleW(output_, text, size, written, nullptr);
    });
  } else {
    WriteAll(Utf8(message) + "\r\n", [&](const char* bytes, DWORD size, DWORD* written) {
      return ::WriteFile(output_, bytes, size, written, nullptr);
    });
  }
}

void FinishRunThroughConsoleSignals() {
  ::SetConsoleCtrlHandler(OnConsoleSignal, TRUE);
}

}  // namespace tarnwick::win32
