#pragma once

#include <string>
#include <vector>

#include "app/Command.h"

struct CommandLine;

/// The commands of vestra-batch as help and parsing know them, in the order help lists them:
/// name, first argument and what each does. What a command runs lives in its class in
/// app/commands/.
class CommandCatalog {
public:
    /// One command.
    struct Entry {
        Command id;
        const char* name;
        /// What its first argument is, for the message when it is missing ("a plan file"); null
        /// when it takes none.
        const char* operand;
        /// Stores the first argument in its field of the command line.
        void (*takeOperand)(CommandLine& line, const std::string& operand);
        /// The start of its help: synopsis and what it does.
        const char* help;
        /// Width of the option labels in its help's list of options; 0 when the help lists none.
        int optionColumn;
        /// A command whose options it shares are named on one line "as for" it; null: none.
        const char* optionsAsFor;
    };

    /// Every command, in the order help lists them.
    static const std::vector<Entry>& commands();
    /// The command of that name, or null.
    static const Entry* named(const std::string& name);
    /// The entry of `id`.
    static const Entry& of(Command id);
    /// The names of the commands of `set`, in order, joined by ", " and, before the last,
    /// `lastSeparator`.
    static std::string names(CommandSet set, const char* lastSeparator = ", ");
    /// Every command.
    static CommandSet all();
};
