#include "log/activity_log.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

TEST(ActivityLog, EveryEntryIsPrecededByCrLfAndKeptExactly) {
  ActivityLog log;
  EXPECT_EQ(log.Text(), u"");
  log.LogMessage(u"first");
  EXPECT_EQ(log.Text(), u"\r\nfirst");
  log.LogMessage(u"");
  log.LogMessage(u"Step 1 Complete\r\n");
  log.LogMessage(std::u16string_view(u"tab\tnul\0kept", 12));
  EXPECT_EQ(log.Text(),
            std::u16string(u"\r\nfirst\r\n\r\nStep 1 Complete\r\n\r\ntab\tnul\0kept", 42));
}

}  // namespace
}  // namespace tarnwick
