#include "common/errors.h"

namespace common {

std::string NotValidIntegerMessage(const std::string& text) {
    return "'" + text + "' is not a valid integer value";
}

std::string NotValidFloatMessage(const std::string& text) {
    return "'" + text + "' is not a valid floating point value";
}

std::string CannotOpenFileMessage(const std::string& name) { return "Cannot open file " + name; }

std::string WithFullStop(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
    return message;
}

}  // namespace common
