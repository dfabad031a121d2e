#pragma once

#include <iosfwd>
#include <string>
#include <utility>
#include <vector>

#include "app/commands/AnalyseCommand.h"

struct CommandLine;

/// The headless command-line tool: parses a command line through the option table and hands it
/// to the class of its command in app/commands/. Exit statuses are those of ExitStatus.
class BatchTool {
public:
    /// `showProgress` switches the progress line on standard error on (for a terminal).
    BatchTool(std::ostream& out, std::ostream& err, bool showProgress)
        : out(out), err(err), showProgress(showProgress) {}

    /// How analyse draws its pictures; without, it writes its tables alone.
    void setPictures(AnalyseCommand::Pictures drawing) { pictures = std::move(drawing); }

    /// Runs one command given the arguments after the program name; its exit status.
    int run(const std::vector<std::string>& arguments);

private:
    int dispatch(const std::vector<std::string>& arguments);
    int runCommand(const CommandLine& line);

    std::ostream& out;
    std::ostream& err;
    bool showProgress;
    AnalyseCommand::Pictures pictures;
};
