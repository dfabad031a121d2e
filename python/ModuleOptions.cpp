#include "python/ModuleOptions.h"

#include <stdexcept>

#include "app/OptionTable.h"
#include "python/Refusal.h"

namespace ModuleOptions {

CommandLine commandLine(Command command, const std::vector<Given>& given) {
    CommandLine line;
    line.command = command;
    for (const auto& [name, keyword, text] : given) {
        const OptionTable::Option* option = OptionTable::find(name, command);
        // The keywords are the module's own; a wrong mapping is a bug, but one that an
        // interpreter survives.
        if (!option) {
            throw std::logic_error("the module maps " + keyword + " to " + name +
                                   ", which this command does not take");
        }
        if (!option->store(line, text)) {
            throw Refusal(keyword + " needs " + option->needs + ", got \"" + text + "\".");
        }
        line.given.push_back(name);
    }
    return line;
}

}  // namespace ModuleOptions
