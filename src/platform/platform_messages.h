// Words that the lines of several subsystems share: what a refused access or a platform's
// failure is called, and Windows' own words for the codes of the program's own refusals.
#pragma once

#include <string>

#include "platform/system_error.h"

namespace tarnwick {

// "access was refused (error 5: Access is denied). Please run this program as an
// administrator."
std::u16string RefusedReason(const SystemError& status);
// "the <reporter> reported error 1117: The request could not be performed because of an I/O
// device error."
std::u16string ReportedReason(std::u16string_view reporter, const SystemError& status);

// A type that the registry routines neither read nor write, and a text that a value's type cannot
// hold, with the words that Windows gives these codes.
SystemError UnsupportedTypeError();
SystemError InvalidDataError();

}  // namespace tarnwick
