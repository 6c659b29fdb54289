#include "app/silent_run.h"

#include "update/auth_protocols.h"
#include "update/undo.h"
#include "update/update_messages.h"

namespace tarnwick {

std::uint32_t RunSwitch(Invocation invocation, SilentServices services, MessageLog& log) {
  const HeldRunLock run(services.lock, kSwitchLockWaitMilliseconds);
  for (const std::u16string& line : LockMessages(run.result()))
    log.LogMessage(line);
  if (!run.held())
    return run.result().outcome == BackupOutcome::kBusy ? kExitBusy : kExitFailed;
  switch (invocation) {
    case Invocation::kUpdate:
      return ExitCodeFor(
          UpdateAuthProtocols(services.registry, services.backups, services.system, log));
    case Invocation::kCheck:
      return CheckExitCodeFor(CheckAuthProtocols(services.registry, services.system, log));
    case Invocation::kUndo:
      return ExitCodeFor(UndoAuthProtocols(services.registry, services.backups, log));
    default:
      return kExitInvalidArguments;
  }
}

}  // namespace tarnwick
