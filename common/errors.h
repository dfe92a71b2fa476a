#pragma once
// Failures that abort a user action. The message is the text shown in the
// error box; the window code catches these at every event-handler boundary.
#include <stdexcept>
#include <string>

namespace common {

class AppError : public std::runtime_error {
public:
    explicit AppError(const std::string& message)
        : std::runtime_error(message), message_(message) {}
    // The whole message; what() ends at the first NUL byte a quoted value
    // from a file may carry.
    const std::string& Message() const { return message_; }

private:
    std::string message_;
};

// Standard message texts.
inline constexpr const char* kFloatDivisionByZero = "Floating point division by zero";
inline constexpr const char* kInvalidFloatOperation = "Invalid floating point operation";
inline constexpr const char* kDivisionByZero = "Division by zero";
inline constexpr const char* kInvalidNumericInput = "Invalid numeric input";
inline constexpr const char* kCannotOpenClipboard = "Cannot open clipboard";

std::string NotValidIntegerMessage(const std::string& text);  // '%s' is not a valid integer value
std::string NotValidFloatMessage(
    const std::string& text);  // '%s' is not a valid floating point value
std::string CannotOpenFileMessage(const std::string& name);  // Cannot open file %s

// The text the error box shows: a full stop is appended when the last
// character sorts after ".".
std::string WithFullStop(const std::string& message);

}  // namespace common
