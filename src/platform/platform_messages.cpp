#include "platform/platform_messages.h"

namespace tarnwick {

std::u16string RefusedReason(const SystemError& status) {
  return u"access was refused (" + ErrorText(status) +
         u"). Please run this program as an administrator.";
}

std::u16string ReportedReason(std::u16string_view reporter, const SystemError& status) {
  return u"the " + std::u16string(reporter) + u" reported " + ErrorText(status) + u".";
}

SystemError UnsupportedTypeError() {
  return {kErrorUnsupportedType, u"Data of this type is not supported."};
}

SystemError InvalidDataError() {
  return {kErrorInvalidData, u"The data is invalid."};
}

}  // namespace tarnwick
