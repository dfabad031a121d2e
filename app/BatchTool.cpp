#include "app/BatchTool.h"

#include <ostream>

#include "app/BatchHelp.h"
#include "app/CommandLine.h"
#include "app/CommandLineParser.h"
#include "app/ExitStatus.h"
#include "app/commands/AnalyseCommand.h"
#include "app/commands/CalibrateCommand.h"
#include "app/commands/CollectCommand.h"
#include "app/commands/ConvertCommand.h"
#include "app/commands/CrossvalCommand.h"
#include "app/commands/EvaluateCommand.h"
#include "app/commands/HelpCommand.h"
#include "app/commands/InfoCommand.h"
#include "app/commands/ListCommand.h"
#include "app/commands/SimulateCommand.h"
#include "app/commands/SweepCommand.h"

int BatchTool::run(const std::vector<std::string>& arguments) {
    return ExitStatus::guarded(err, [&] { return dispatch(arguments); });
}

int BatchTool::dispatch(const std::vector<std::string>& arguments) {
    if (arguments.size() == 1 && arguments[0] == "--version") {
        out << "vestra-batch " << VESTRA_VERSION << "\n";
        return ExitStatus::success;
    }
    if (HelpCommand::handles(arguments)) {
        return HelpCommand(out, err).run(arguments);
    }
    CommandLine line;
    std::string error;
    if (!CommandLineParser::parse(arguments, line, error)) {
        err << "vestra-batch: " << error << "\n" << BatchHelp::usage();
        return ExitStatus::usage;
    }
    return runCommand(line);
}

int BatchTool::runCommand(const CommandLine& line) {
    switch (line.command) {
        case Command::list:
            return ListCommand(out).run();
        case Command::info:
            return InfoCommand(out, err).run(line.run.experiment);
        case Command::evaluate:
            return EvaluateCommand(out, err).run(line.run);
        case Command::calibrate:
            return CalibrateCommand(out, err, showProgress).run(line.run);
        case Command::convert:
            return ConvertCommand(err).run(line.run.experiment, line.output);
        case Command::sweep:
            return SweepCommand(out, err).run(line.sweep);
        case Command::collect:
            return CollectCommand(out, err).run(line.sweep.out);
        case Command::crossval:
            return CrossvalCommand(out, err).run(line.run, line.sweep);
        case Command::simulate:
            return SimulateCommand(err).run(
                {line.run, line.output, line.outputFormat, line.measured});
        case Command::analyse:
            return AnalyseCommand(out, err, pictures).run(line.run, line.analysis);
        case Command::help:
            break;
    }
    // The parser hands on no other command; help answers only as a whole command line.
    return ExitStatus::usage;
}
