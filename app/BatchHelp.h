#pragma once

#include <string>

/// The help of `vestra-batch`: every command with its synopsis, what it does and its options,
/// the lists of options taken from the option table.
namespace BatchHelp {

/// The help of every command (what `--help` prints).
std::string all();
/// The help of one command, or empty when there is no such command.
std::string of(const std::string& command);
/// The names of the commands, for messages.
std::string commandNames();
/// The short usage printed after a usage error.
const char* usage();

}  // namespace BatchHelp
