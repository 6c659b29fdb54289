// Opening a URL in the user's default handler. The outcome is the platform's business: the
// program reports nothing about it.
#pragma once

#include <string_view>

namespace tarnwick {

class UrlOpener {
 public:
  virtual ~UrlOpener() = default;
  virtual void OpenUrl(std::u16string_view url) = 0;
};

}  // namespace tarnwick
