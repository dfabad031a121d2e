#include "app/commands/HelpCommand.h"

#include <ostream>

#include "app/BatchHelp.h"
#include "app/ExitStatus.h"

bool HelpCommand::handles(const std::vector<std::string>& arguments) {
    return (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "help")) ||
           (arguments.size() == 2 && arguments[0] == "help");
}

int HelpCommand::run(const std::vector<std::string>& arguments) {
    if (arguments.size() == 1) {
        out << BatchHelp::all();
        return ExitStatus::success;
    }
    const std::string help = BatchHelp::of(arguments[1]);
    if (help.empty()) {
        err << "vestra-batch: no command \"" << arguments[1] << "\"; the commands are "
            << BatchHelp::commandNames() << ".\n";
        return ExitStatus::usage;
    }
    out << help;
    return ExitStatus::success;
}
