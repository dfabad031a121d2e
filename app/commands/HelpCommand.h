#pragma once

#include <iosfwd>
#include <string>
#include <vector>

/// `vestra-batch help [COMMAND]` and `vestra-batch --help`: the help of every command or of one.
class HelpCommand {
public:
    HelpCommand(std::ostream& out, std::ostream& err) : out(out), err(err) {}

    /// True for the whole command lines that ask for help: "--help", "help", "help COMMAND".
    static bool handles(const std::vector<std::string>& arguments);
    /// Prints the help asked for; a usage error for a command that does not exist.
    int run(const std::vector<std::string>& arguments);

private:
    std::ostream& out;
    std::ostream& err;
};
