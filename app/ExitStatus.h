#pragma once

#include <new>
#include <ostream>

/// The exit statuses of vestra-batch, the same for every command, its sweeps and their rows.
namespace ExitStatus {

/// The command did what it was asked.
constexpr int success = 0;
/// Input that cannot be used, or a run, row or submission that failed.
constexpr int failed = 1;
/// An unknown command, option, name or value, or options that do not go together.
constexpr int usage = 2;

/// A run or sweep that `signal` stopped after it kept what it had found.
constexpr int stoppedBy(int signal) {
    return 128 + signal;
}

/// Runs `command` and returns its status; when its memory cannot be had, says so on `err` and
/// returns `failed`, since outputs are replaced only at the end of a run and none was.
template <class Run>
int guarded(std::ostream& err, const Run& command) {
    try {
        return command();
    } catch (const std::bad_alloc&) {
        err << "vestra-batch: out of memory; nothing was written.\n";
        return failed;
    }
}

}  // namespace ExitStatus
