// UTF-16 text between the portable code (char16_t) and the Windows API (wchar_t, which is
// 16 bits wide on Windows).
#pragma once

#include <string>
#include <string_view>

namespace tarnwick::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wchar_t holds UTF-16");

inline std::wstring Wide(std::u16string_view text) {
  return std::wstring(text.begin(), text.end());
}

inline std::u16string Utf16(std::wstring_view text) {
  return std::u16string(text.begin(), text.end());
}

}  // namespace tarnwick::win32
