#include "update/update_messages.h"

#include <string>

#include "platform/text.h"

namespace tarnwick {
namespace {

std::u16string TypeName(RegType type) {
  switch (type) {
    case kRegNone:
      return u"REG_NONE";
    case kRegSz:
      return u"REG_SZ";
    case kRegExpandSz:
      return u"REG_EXPAND_SZ";
    case kRegBinary:
      return u"REG_BINARY";
    case kRegDword:
      return u"REG_DWORD";
    case 5:
      return u"REG_DWORD_BIG_ENDIAN";
    case 6:
      return u"REG_LINK";
    case kRegMultiSz:
      return u"REG_MULTI_SZ";
    case 11:
      return u"REG_QWORD";
    default:
      return u"type " + NumberText(type);
  }
}

std::u16string StatusReason(const SystemError& status) {
  if (status == static_cast<std::uint32_t>(kErrorAccessDenied))
    return std::u16string(kRunAsAdministrator);
  return u"the registry reported " + ErrorText(status) + u".";
}

std::u16string ReadReason(const RegRead& read) {
  std::u16string message;
  switch (read.outcome) {
    case ReadOutcome::kKeyMissing:
      message += u"the key does not exist.";
      break;
    case ReadOutcome::kValueMissing:
      message += u"the value does not exist.";
      break;
    case ReadOutcome::kAccessDenied:
      message += kRunAsAdministrator;
      break;
    case ReadOutcome::kUnsupportedType:
      message += u"its type (" + TypeName(read.type) + u") is not supported.";
      break;
    case ReadOutcome::kRead:
    case ReadOutcome::kFailed:
      message += StatusReason(read.status);
      break;
  }
  return message;
}

}  // namespace

std::u16string ReadFailureMessage(std::u16string_view where, const RegRead& read) {
  return u"Could not read " + std::u16string(where) + u": " + ReadReason(read) +
         u" Nothing was changed.";
}

std::u16string WriteFailureMessage(std::u16string_view where, const RegWrite& write) {
  std::u16string message = u"Could not update " + std::u16string(where) + u": ";
  switch (write.outcome) {
    case WriteOutcome::kUnsupportedType:
    case WriteOutcome::kInvalidValue:
      message += u"the value cannot be stored in its type.";
      break;
    case WriteOutcome::kStored:
    case WriteOutcome::kOpenFailed:
    case WriteOutcome::kSetFailed:
      message += StatusReason(write.status);
      break;
  }
  return message;
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
