// Every exit code of the program. The switches' are installer codes, which deployment tools
// read; the window's say whether it was closed or ended on a run-time error.
#pragma once

#include <cstdint>

namespace tarnwick {

inline constexpr std::uint32_t kExitNothingToChange = 0;
inline constexpr std::uint32_t kExitWouldChange = 1;  // /check: detection found work to do
inline constexpr std::uint32_t kExitRestartNeeded = 3010;
inline constexpr std::uint32_t kExitFailed = 1603;
inline constexpr std::uint32_t kExitInvalidArguments = 87;
// Another Tarnwick run is in progress: the installers' "another installation is in progress",
// which deployment tools retry.
inline constexpr std::uint32_t kExitBusy = 1618;

inline constexpr int kExitClosed = 0;
inline constexpr int kExitRunTimeError = 1;

}  // namespace tarnwick
