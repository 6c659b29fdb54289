#include "app/run_time_error.h"

#include <exception>
#include <new>

namespace tarnwick {
namespace {

// what() texts are ASCII in practice; anything else is shown byte by byte as Latin-1.
std::u16string FromNarrow(std::string_view text) {
  std::u16string wide;
  wide.reserve(text.size());
  for (char c : text)
    wide += static_cast<char16_t>(static_cast<unsigned char>(c));
  return wide;
}

}  // namespace

ErrorReport DescribeCurrentException() {
  try {
    throw;
  } catch (const RunTimeError& error) {
    return {error.Number(), error.Message()};
  } catch (const std::bad_alloc&) {
    return {kOutOfMemory, u"Out of memory"};
  } catch (const std::exception& error) {
    std::u16string message = FromNarrow(error.what());
    return {kInternalError, message.empty() ? u"Internal error" : message};
  } catch (...) {
    return {kInternalError, u"Internal error"};
  }
}

std::u16string RunTimeErrorText(const ErrorReport& error) {
  std::string number = std::to_string(error.number);
  return u"Run-time error '" + FromNarrow(number) + u"':\r\n\r\n" + error.message;
}

}  // namespace tarnwick
