#pragma once

#include <string>
#include <tuple>
#include <vector>

#include "app/CommandLine.h"

/// Python keywords that stand for options of the batch tool, read through its option table, so
/// that a keyword takes exactly the values its option takes and is refused with the same words.
namespace ModuleOptions {

/// One keyword as given: the option it stands for ("--fps"), the keyword's name for messages
/// ("fps") and its value as text.
using Given = std::tuple<std::string, std::string, std::string>;

/// The command line of `command` with every option of `given` stored in it. Throws Refusal for
/// a value that the option refuses, naming the keyword and the form it needs.
CommandLine commandLine(Command command, const std::vector<Given>& given);

}  // namespace ModuleOptions
