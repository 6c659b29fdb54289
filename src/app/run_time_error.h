// A run-time error: a number and a message, raised by a procedure and shown to the user by
// the handler it reaches.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tarnwick {

class RunTimeError : public std::runtime_error {
 public:
  RunTimeError(std::int32_t number, std::u16string message)
      : std::runtime_error("run-time error"), number_(number), message_(std::move(message)) {}

  std::int32_t Number() const { return number_; }
  const std::u16string& Message() const { return message_; }

 private:
  std::int32_t number_;
  std::u16string message_;
};

inline constexpr std::int32_t kOutOfMemory = 7;
inline constexpr std::int32_t kInternalError = 51;

struct ErrorReport {
  std::int32_t number = kInternalError;
  std::u16string message;
};

// Describes the exception being handled; call only inside a catch block. A RunTimeError
// keeps its number and message; running out of memory is error 7; anything else is error 51
// with the exception's own text, when it has one.
ErrorReport DescribeCurrentException();

// The text of the message box that ends the program after an error.
std::u16string RunTimeErrorText(const ErrorReport& error);

}  // namespace tarnwick
