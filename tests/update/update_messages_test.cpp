#include "update/update_messages.h"

#include <gtest/gtest.h>

namespace tarnwick::testing {
namespace {

TEST(BackupFailureMessage, SaysWhichFolderAndWhyInOneLine) {
  const std::u16string_view where = u"SYSTEM\\CurrentControlSet\\Control\\Lsa\\Security Packages";
  const struct {
    SavedFile saved;
    std::u16string reason;
  } cases[] = {
      {{SaveOutcome::kFolderNotSecured, u"C:\\ProgramData\\Tarnwick\\Backups", 1307},
       u"the permissions of the backup folder C:\\ProgramData\\Tarnwick\\Backups could not be set "
       u"to administrators only (error 1307)."},
      {{SaveOutcome::kFolderUntrusted, u"C:\\ProgramData\\Tarnwick", 32},
       u"C:\\ProgramData\\Tarnwick is not a folder that an administrator made, and it could not "
       u"be moved aside (error 32)."},
      {{SaveOutcome::kNoFolder, u"C:\\ProgramData\\Tarnwick", 267},
       u"the backup folder C:\\ProgramData\\Tarnwick could not be found or made (error 267)."},
      {{SaveOutcome::kNoFolder, u"", 0}, u"the backup folder could not be found or made."},
      {{SaveOutcome::kTooLarge, u"", 0},
       u"it would be larger than the 1048576 bytes that an undo reads."},
  };
  for (const auto& c : cases) {
    const std::u16string message = BackupFailureMessage(where, c.saved);
    EXPECT_EQ(message, u"Could not save a backup of " + std::u16string(where) + u": " + c.reason +
                           u" The value was left unchanged.");
    EXPECT_EQ(message.find_first_of(u"\r\n"), std::u16string::npos);
  }
}

}  // namespace
}  // namespace tarnwick::testing
