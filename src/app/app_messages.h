// The line the program logs of its own, beside those of the runs it starts.
#pragma once

#include <string_view>

namespace tarnwick {

// A switch's run ended on a failure that nothing below it reported.
inline constexpr std::u16string_view kUnexpectedErrorMessage =
    u"Tarnwick stopped on an unexpected error.";

}  // namespace tarnwick
