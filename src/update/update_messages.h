// Log lines for the update's failures: which value, and what went wrong.
#pragma once

#include <string>
#include <string_view>

#include "platform/registry.h"

namespace tarnwick {

// `where` is the key path, "\" and the value name.
std::u16string ReadFailureMessage(std::u16string_view where, const RegRead& read);
std::u16string WriteFailureMessage(std::u16string_view where, const RegWrite& write);
std::u16string UnexpectedTypeMessage(std::u16string_view where, RegType found, RegType expected);

}  // namespace tarnwick
