// Whether this process runs with an administrator's full rights under UAC.
#pragma once

namespace tarnwick::win32 {

// The token's elevation (Vista and later); false where Windows has no such thing (XP) or the
// token cannot be read.
bool RunsElevated();

}  // namespace tarnwick::win32
