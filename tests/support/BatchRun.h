#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/ScratchFolder.h"

// Runs of the built vestra-batch executable, for the tests of the command-line tool.

struct BatchResult {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string quoted(const std::string& argument) {
    std::string text = "'";
    for (const char c : argument) {
        text += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return text + "'";
}

// Runs the built executable with its output captured, as a user's shell would, behind `prefix`
// (such as taskset) when given.
inline BatchResult runBatch(const ScratchFolder& folder, const std::vector<std::string>& arguments,
                            const std::string& prefix = "") {
    std::string command = prefix + quoted(VESTRA_BATCH_EXECUTABLE);
    for (const std::string& argument : arguments) {
        command += " " + quoted(argument);
    }
    const std::string out = folder.file("stdout");
    const std::string err = folder.file("stderr");
    command += " >" + quoted(out) + " 2>" + quoted(err) + " </dev/null";
    const int raw = std::system(command.c_str());
    BatchResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = readFile(out);
    result.err = readFile(err);
    return result;
}

// The last line of `text`, without its line end.
inline std::string lastLine(const std::string& text) {
    const size_t end = text.find_last_not_of('\n');
    const size_t start = text.rfind('\n', end);
    return text.substr(start == std::string::npos ? 0 : start + 1, end - start);
}
