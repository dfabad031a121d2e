#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "app/Command.h"

struct CommandLine;
struct ReadingOptions;

/// Reads vestra-batch's command lines through the option table: the command, its first
/// argument, its options, and whether the options go together. What the registry decides
/// (component and format names) is left to the commands.
namespace CommandLineParser {

/// Parses the arguments after the program name. False, with `error`, for a missing or unknown
/// command, a missing first argument, an option the command does not take or without its
/// value, a value the option refuses, or options that do not go together.
bool parse(const std::vector<std::string>& arguments, CommandLine& line, std::string& error);

/// Parses `words` from `first` on as options of `command` into `line`. False, with `error`, as
/// parse; `unknown`, when given, then receives a word that is no option of the command.
bool parseOptions(Command command, const std::vector<std::string>& words, std::size_t first,
                  CommandLine& line, std::string& error, std::string* unknown = nullptr);

/// Stores `value` through the option `name` of `command`, as if given on its command line.
bool setOption(Command command, const std::string& name, const std::string& value,
               CommandLine& line, std::string& error);

/// False, with `error`, when the time window of `reading` is empty.
bool checkWindow(const ReadingOptions& reading, std::string& error);

}  // namespace CommandLineParser
