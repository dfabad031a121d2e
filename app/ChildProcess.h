#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

/// Other programs started straight from an argument list, never through a shell, so that no
/// path or name is read as shell syntax.
namespace ChildProcess {

/// How a child process ended.
struct Ending {
    pid_t id = -1;
    int exitStatus = -1;  ///< its exit status, or -1 when a signal ended it
    int signal = 0;       ///< the signal that ended it, or 0
    /// "exit status 3" or "signal 9 (Killed)".
    std::string describe() const;
};

/// Starts `arguments` (the program first, looked up in PATH when it has no slash) with standard
/// input from /dev/null and standard output and error appended to the file `outputPath`, no
/// signal blocked, and, with `ownGroup`, in a process group of its own (so that a Ctrl-C on the
/// terminal reaches only this process, which decides what its children get). Returns the
/// process id, or -1 with `error`.
pid_t start(const std::vector<std::string>& arguments, const std::string& outputPath,
            std::string& error, bool ownGroup = false);

/// Waits until one child of this process ends. With `interrupted`, a signal ends the wait too
/// (the result then has id -1 and *interrupted is true).
Ending waitForAny(bool* interrupted = nullptr);

/// Runs `arguments` to its end with standard output and error captured together in `output`.
/// False, with `error`, when it could not be started.
bool run(const std::vector<std::string>& arguments, std::string& output, Ending& ending,
         std::string& error);

}  // namespace ChildProcess
