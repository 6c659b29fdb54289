// What the program was asked to do on its command line, and the exit codes of a silent run:
// the installer codes that deployment tools read.
#pragma once

#include <cstdint>
#include <string_view>

#include "update/auth_protocols.h"

namespace tarnwick {

enum class Invocation {
  kWindow,   // no arguments: the main window
  kUpdate,   // "/update" or "-update", any case: the update without a window
  kUsage,    // "/?" or "-?": the usage, in a message box
  kInvalid,  // anything else: nothing is done
};

inline constexpr std::uint32_t kExitNothingToChange = 0;
inline constexpr std::uint32_t kExitRestartNeeded = 3010;
inline constexpr std::uint32_t kExitFailed = 1603;
inline constexpr std::uint32_t kExitInvalidArguments = 87;

inline constexpr std::u16string_view kUsage =
    u"Usage: tarnwick.exe [/update]\r\n\r\n"
    u"Without arguments, Tarnwick shows its window.\r\n\r\n"
    u"/update  adds tspkg and credssp.dll to the registry without a window, saves a backup of "
    u"what it changes first, writes its log to standard output and ends with:\r\n"
    u"  0     nothing needed changing\r\n"
    u"  3010  a value was written; restart the computer\r\n"
    u"  1603  a value could not be read, backed up or written, or had an unexpected type\r\n"
    u"  87    unknown switch or extra arguments; nothing was done";

// `arguments` is the command line after the program's name, as Windows hands it over.
Invocation ParseCommandLine(std::u16string_view arguments);

std::uint32_t ExitCodeFor(UpdateOutcome outcome);

}  // namespace tarnwick
