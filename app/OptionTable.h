#pragma once

#include <string>
#include <vector>

#include "app/Command.h"

struct CommandLine;

/// Every option of every command of vestra-batch, each declared once with the commands that take
/// it, its help and the one field of the command line its value goes to. Parsing, the option
/// lists of the help and the manual page's check all read this table, so that what is parsed,
/// what help lists and what the manual page names cannot drift apart.
class OptionTable {
public:
    /// One option of one or more commands.
    struct Option {
        const char* name;      ///< as given on the command line, such as "--model"
        const char* argument;  ///< its value's name in help ("NAME"); null for a flag
        /// Its line in the help of its commands ("\n" continues it), for those whose help lists
        /// options; null when it is described on the line of the option before it, as
        /// "--from S, --to S" are.
        const char* help;
        CommandSet commands;
        /// What its value must be, for the message about a value it refuses.
        std::string needs;
        /// Stores `value` (empty for a flag) in the option's own field of `line`; false, leaving
        /// `line` as it was, when the value is not of the option's kind.
        bool (*store)(CommandLine& line, const std::string& value);

        /// True for an option that takes no value.
        bool isFlag() const { return argument == nullptr; }
        /// The name with its value's name, as help shows it: "--model NAME".
        std::string label() const;
    };

    /// The commands that read an experiment file take the reading options, and only they.
    static constexpr CommandSet readingCommands = Command::info | Command::evaluate |
                                                  Command::calibrate | Command::convert |
                                                  Command::simulate | Command::analyse;

    /// Every option, in the order help lists them.
    static const std::vector<Option>& options();
    /// The option `name` of `command`, or null when the command has no such option.
    static const Option* find(const std::string& name, Command command);
    /// True for an option that says how an experiment file is read.
    static bool isReading(const Option& option) { return option.commands == readingCommands; }
};
