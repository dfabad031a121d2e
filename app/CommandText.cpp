#include "app/CommandText.h"

namespace CommandText {

std::string quoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

std::string of(const std::vector<std::string>& arguments) {
    std::string line;
    for (const std::string& argument : arguments) {
        const bool plain =
            !argument.empty() && argument.find_first_not_of(
                                     "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQ"
                                     "RSTUVWXYZ0123456789_-./=:,+%@") == std::string::npos;
        line += (line.empty() ? "" : " ") + (plain ? argument : quoted(argument));
    }
    return line;
}

}  // namespace CommandText
