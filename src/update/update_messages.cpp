#include "update/update_messages.h"

#include <iterator>
#include <string>

#include "platform/platform_messages.h"
#include "platform/text.h"
#include "update/value_table.h"

namespace tarnwick {
namespace {

std::u16string TypeName(RegType type) {
  constexpr std::u16string_view kNames[] = {u"REG_NONE",
                                            u"REG_SZ",
                                            u"REG_EXPAND_SZ",
                                            u"REG_BINARY",
                                            u"REG_DWORD",
                                            u"REG_DWORD_BIG_ENDIAN",
                                            u"REG_LINK",
                                            u"REG_MULTI_SZ",
                                            u"REG_RESOURCE_LIST",
                                            u"REG_FULL_RESOURCE_DESCRIPTOR",
                                            u"REG_RESOURCE_REQUIREMENTS_LIST",
                                            u"REG_QWORD"};
  return type < std::size(kNames) ? std::u16string(kNames[type]) : u"type " + NumberText(type);
}

std::u16string StatusReason(const SystemError& status) {
  return status == kErrorAccessDenied ? RefusedReason(status) : ReportedReason(u"registry", status);
}

std::u16string ReadReason(const RegRead& read) {
  if (read.Missing())
    return (read.atKey ? u"the key does not exist (" : u"the value does not exist (") +
           ErrorText(read.error) + u").";
  if (read.error == kErrorUnsupportedType)
    return u"its type (" + TypeName(read.type) + u") is not supported (" + ErrorText(read.error) +
           u").";
  return StatusReason(read.error);
}

}  // namespace

std::u16string ReadingMessage(std::u16string_view where) {
  return u"Reading Value From: " + std::u16string(where);
}

std::u16string CurrentValueMessage(std::u16string_view value) {
  return u"Current Value: " + WithNulsAsBlanks(value);
}

std::u16string BuiltInMessage(const WindowsVersion& windows, std::u16string_view name) {
  return u"Windows " + VersionText(windows) + u" has " + std::u16string(name) + u" built in";
}

std::u16string AlreadyPresentMessage(std::u16string_view name) {
  return std::u16string(name) + u" already present, no change required";
}

std::u16string WouldAddMessage(std::u16string_view name) {
  return std::u16string(name) + u" is missing: the update would add it";
}

std::u16string AddingMessage(std::u16string_view name) {
  return u"Adding Value " + std::u16string(name) + u" to registry key.";
}

std::u16string UpdatedMessage(std::u16string_view value) {
  return u"Key updated to value: " + WithNulsAsBlanks(value);
}

std::u16string StepCompleteMessage(int step) {
  return u"Step " + NumberText(static_cast<std::uint64_t>(step)) + u" Complete\r\n";
}

std::u16string ReadingBackupMessage(std::u16string_view path) {
  return u"Reading Backup From: " + std::u16string(path);
}

std::u16string RestoredMessage(std::u16string_view value) {
  return u"Key restored to value: " + WithNulsAsBlanks(value);
}

std::u16string ReadFailureMessage(std::u16string_view where, const RegRead& read) {
  return u"Could not read " + std::u16string(where) + u": " + ReadReason(read) +
         u" Nothing was changed.";
}

std::u16string WriteFailureMessage(std::u16string_view where, const RegResult& write) {
  const bool refused = write.error == kErrorUnsupportedType || write.error == kErrorInvalidData;
  return u"Could not update " + std::u16string(where) + u": " +
         (refused ? u"the value cannot be stored in its type (" + ErrorText(write.error) + u")."
                  : StatusReason(write.error));
}

std::u16string UnexpectedTypeMessage(std::u16string_view where, RegType found, RegType expected) {
  return std::u16string(where) + u" is a " + TypeName(found) + u" value where " +
         TypeName(expected) + u" was expected; it was left unchanged.";
}

std::u16string BuiltInReadFailureMessage(std::u16string_view where, const RegRead& read) {
  return u"Could not read " + std::u16string(where) + u": " + ReadReason(read) +
         u" Going on without it.";
}

std::u16string BuiltInTypeMessage(std::u16string_view where, RegType found) {
  return std::u16string(where) + u" is a " + TypeName(found) +
         u" value where REG_MULTI_SZ was expected; going on without it.";
}

std::u16string FlushFailureMessage(std::u16string_view keyPath, const SystemError& status) {
  return u"Could not save " + std::u16string(keyPath) + u" to disk: " + StatusReason(status) +
         u" The change may be lost if the computer stops before Windows saves it.";
}

std::u16string NoCredsspMessage(std::u16string_view name,
                                std::span<const std::u16string_view> missing,
                                std::u16string_view folder) {
  std::u16string files;
  for (std::size_t i = 0; i < missing.size(); ++i)
    files += (i == 0 ? u"" : u" and ") + std::u16string(missing[i]);
  return u"Cannot add " + std::u16string(name) + u": " + files +
         (missing.size() == 1 ? u" is" : u" are") + u" not in " + std::u16string(folder) +
         u", so this Windows has no CredSSP. Nothing was changed. Windows XP needs Service Pack 3 "
         u"for CredSSP; Windows XP x64 and Windows Server 2003 cannot use it.";
}

std::u16string AlreadyUndoneMessage(std::u16string_view where) {
  return std::u16string(where) +
         u" was put back by an earlier undo after its last update: there is nothing to undo for "
         u"it.";
}

std::u16string ChangedSinceBackupMessage(std::u16string_view where) {
  return std::u16string(where) +
         u" has changed since the backup was saved; it was left as it is, to keep that change.";
}

}  // namespace tarnwick
