#include "app/win32/shell_url_opener.h"

#include <string>

#include "platform/win32/wide_text.h"

namespace tarnwick::win32 {

void ShellUrlOpener::OpenUrl(std::u16string_view url) {
  const std::wstring file = Wide(url);
  if (shell_.RunsElevated() && shell_.ExecuteOnDesktop(L"open", file.c_str()))
    return;
  shell_.Execute(owner_, L"open", file.c_str(), nullptr, nullptr, SW_SHOW);
}

}  // namespace tarnwick::win32
