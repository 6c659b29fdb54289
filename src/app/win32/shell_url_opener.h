// Opens a URL through the shell's "open" verb, on behalf of a window. An elevated program hands
// it to the desktop's shell, so that the browser, and whatever the user downloads and opens in
// it, runs as the user and not as administrator; where there is no desktop shell to take it, it
// opens the URL itself.
#pragma once

#include <windows.h>

#include "app/url_opener.h"
#include "app/win32/desktop_api.h"

namespace tarnwick::win32 {

class ShellUrlOpener final : public UrlOpener {
 public:
  explicit ShellUrlOpener(ShellApi& shell) : shell_(shell) {}

  // The window the shell's own messages belong to; read at each request.
  void SetOwner(HWND owner) { owner_ = owner; }

  // The shell's answer is not looked at: the default handler takes it from here.
  void OpenUrl(std::u16string_view url) override;

 private:
  ShellApi& shell_;
  HWND owner_ = nullptr;
};

}  // namespace tarnwick::win32
