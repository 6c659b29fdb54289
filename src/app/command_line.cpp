#include "app/command_line.h"

#include <string>
#include <vector>

#include "backup/backup_messages.h"
#include "platform/text.h"
#include "update/undo.h"
#include "update/update_and_check.h"
#include "update/update_messages.h"

namespace tarnwick {
namespace {

bool IsSpace(char16_t c) {
  return c == u' ' || c == u'\t';
}

// Arguments split at blanks; a quoted stretch belongs to one argument, without its quotes.
std::vector<std::u16string> Split(std::u16string_view text) {
  std::vector<std::u16string> arguments;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsSpace(text[i]))
      ++i;
    if (i == text.size())
      break;
    std::u16string argument;
    bool quoted = false;
    for (; i < text.size() && (quoted || !IsSpace(text[i])); ++i) {
      if (text[i] == u'"')
        quoted = !quoted;
      else
        argument += text[i];
    }
    arguments.push_back(std::move(argument));
  }
  return arguments;
}

bool IsSwitch(std::u16string_view argument, std::u16string_view name) {
  return !argument.empty() && (argument[0] == u'/' || argument[0] == u'-') &&
         EqualsIgnoringCase(argument.substr(1), name);
}

}  // namespace

Invocation ParseCommandLine(std::u16string_view arguments) {
  const std::vector<std::u16string> parts = Split(arguments);
  if (parts.empty())
    return Invocation::kWindow;
  if (parts.size() > 1)
    return Invocation::kInvalid;
  if (IsSwitch(parts[0], u"update"))
    return Invocation::kUpdate;
  if (IsSwitch(parts[0], u"check"))
    return Invocation::kCheck;
  if (IsSwitch(parts[0], u"undo"))
    return Invocation::kUndo;
  if (IsSwitch(parts[0], u"?"))
    return Invocation::kUsage;
  return Invocation::kInvalid;
}

std::uint32_t RunSwitch(Invocation invocation, SilentServices services, MessageLog& log) {
  const HeldRunLock run(services.lock, kSwitchLockWaitMilliseconds);
  for (const std::u16string& line : LockMessages(run.result()))
    log.LogMessage(line);
  if (!run.held())
    return run.result().outcome == BackupOutcome::kBusy ? kExitBusy : kExitFailed;
  switch (invocation) {
    case Invocation::kUpdate:
      return ExitCodeFor(invocation, UpdateAuthProtocols(services.registry, services.backups,
                                                         services.system, log));
    case Invocation::kCheck:
      return ExitCodeFor(invocation, CheckAuthProtocols(services.registry, services.system, log));
    case Invocation::kUndo:
      return ExitCodeFor(invocation, UndoAuthProtocols(services.registry, services.backups, log));
    default:
      return kExitInvalidArguments;
  }
}

}  // namespace tarnwick
