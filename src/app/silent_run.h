// The switches' runs without a window: each holds the machine-wide lock from its first read to
// its last write, waiting for another run to end for a minute at most, and says how it went in
// its exit code.
#pragma once

#include <cstdint>

#include "app/command_line.h"
#include "backup/backup_files.h"
#include "backup/run_lock.h"
#include "log/message_log.h"
#include "platform/registry_ops.h"
#include "platform/system_info.h"

namespace tarnwick {

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
