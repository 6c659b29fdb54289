#include "platform/system_error.h"

#include "platform/text.h"

namespace tarnwick {

std::u16string ErrorText(const SystemError& error) {
  const std::u16string number =
      (error.code & 0x80000000u) != 0 ? u"0x" + HexText(error.code, 8) : NumberText(error.code);
  std::u16string text = error.text;
  while (!text.empty() && (text.back() == u'.' || text.back() == u' '))
    text.pop_back();
  return u"error " + number + (text.empty() ? u"" : u": " + text);
}

}  // namespace tarnwick
