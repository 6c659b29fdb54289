// What the program was asked to do on its command line, and the switches' runs without a
// window: each holds the machine-wide lock from its first read to its last write, waiting for
// another run to end for a minute at most, and says how it went in its exit code, one of the
// installer codes that deployment tools read.
#pragma once

#include <cstdint>
#include <string_view>

#include "app/exit_codes.h"
#include "backup/backup_files.h"
#include "backup/run_lock.h"
#include "log/message_log.h"
#include "platform/registry_ops.h"
#include "platform/system_info.h"
#include "update/update_and_check.h"

namespace tarnwick {

enum class Invocation {
  kWindow,   // no arguments: the main window
  kUpdate,   // "/update" or "-update", any case: the update without a window
  kCheck,    // "/check": what the update would do, without doing it
  kUndo,     // "/undo": puts back what the updates changed
  kUsage,    // "/?" or "-?": the usage, in a message box
  kInvalid,  // anything else: nothing is done
};

inline constexpr std::u16string_view kUsage =
    u"Usage: tarnwick.exe [/update | /check | /undo]\r\n\r\n"
    u"Without arguments, Tarnwick shows its window. Each switch runs without a window, writes "
    u"its log to standard output and needs administrator rights.\r\n\r\n"
    u"/update  adds tspkg and credssp.dll to the registry where Windows needs them, after "
    u"saving a backup of what it changes. Exit codes:\r\n"
    u"  0     nothing needed changing\r\n"
    u"  3010  a value was written; restart the computer\r\n"
    u"  1603  a value could not be read, backed up or written, or had an unexpected type, or "
    u"this Windows has no CredSSP\r\n\r\n"
    u"/check  says what /update would do, and changes nothing. Exit codes:\r\n"
    u"  0     nothing would change\r\n"
    u"  1     /update would change a value\r\n"
    u"  1603  a value could not be read, or had an unexpected type, or this Windows has no "
    u"CredSSP\r\n\r\n"
    u"/undo  puts back what the updates changed, from the newest backup that names each value, "
    u"where nothing else changed it since, after saving a backup of what it replaces. Exit "
    u"codes:\r\n"
    u"  0     nothing to undo\r\n"
    u"  3010  a value was restored; restart the computer\r\n"
    u"  1603  a value changed since the backup and was kept, the backup was refused, or a "
    u"read, backup or write failed\r\n\r\n"
    u"Each switch waits up to a minute while another Tarnwick run is in progress; then it "
    u"ends with exit code 1618, and nothing is done.\r\n\r\n"
    u"Any other switch, or more than one: exit code 87, and nothing is done.";

// `arguments` is the command line after the program's name, as Windows hands it over.
Invocation ParseCommandLine(std::u16string_view arguments);

// The exit code of a switch's run that ended with `outcome`: kFailed; nothing to do; or a change
// made, which for /check is one that /update would make.
constexpr std::uint32_t ExitCodeFor(Invocation invocation, UpdateOutcome outcome) {
  if (outcome == UpdateOutcome::kFailed)
    return kExitFailed;
  if (outcome == UpdateOutcome::kNothingToChange)
    return kExitNothingToChange;
  return invocation == Invocation::kCheck ? kExitWouldChange : kExitRestartNeeded;
}

// How long a switch waits for another run to end.
inline constexpr std::uint32_t kSwitchLockWaitMilliseconds = 60 * 1000;

struct SilentServices {
  RegistryOps& registry;
  BackupFiles& backups;
  SystemInfoApi& system;
  RunLock& lock;
};

// Runs /update, /check or /undo; the exit code. kExitBusy when another run held the lock the
// whole minute, kExitFailed when the lock could not be had for another reason; then nothing
// was read or done.
std::uint32_t RunSwitch(Invocation invocation, SilentServices services, MessageLog& log);

}  // namespace tarnwick
