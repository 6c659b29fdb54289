#include "app/run_time_error.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>

namespace tarnwick {
namespace {

ErrorReport Describe(const std::function<void()>& raise) {
  try {
    raise();
  } catch (...) {
    return DescribeCurrentException();
  }
  ADD_FAILURE() << "nothing was raised";
  return {};
}

TEST(RunTimeError, EveryExceptionBecomesANumberAndAMessage) {
  struct Case {
    std::function<void()> raise;
    std::int32_t number;
    std::u16string message;
  };
  const Case cases[] = {
      {[] { throw RunTimeError(5, u"Access is denied."); }, 5, u"Access is denied."},
      {[] { throw std::bad_alloc(); }, 7, u"Out of memory"},
      {[] { throw std::length_error("basic_string::append"); }, 51, u"basic_string::append"},
      {[] { throw std::runtime_error(""); }, 51, u"Internal error"},
      {[] { throw 42; }, 51, u"Internal error"},
      {[] { throw std::runtime_error("caf\xE9"); }, 51, u"caf\u00E9"},
  };
  for (const Case& c : cases) {
    const ErrorReport report = Describe(c.raise);
    EXPECT_EQ(report.number, c.number);
    EXPECT_EQ(report.message, c.message);
  }
}

TEST(RunTimeError, MessageBoxTextShowsNumberAndMessage) {
  EXPECT_EQ(RunTimeErrorText({7, u"Out of memory"}), u"Run-time error '7':\r\n\r\nOut of memory");
  EXPECT_EQ(RunTimeErrorText({-2147024891, u"x"}), u"Run-time error '-2147024891':\r\n\r\nx");
}

}  // namespace
}  // namespace tarnwick
