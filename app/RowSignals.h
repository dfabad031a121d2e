#pragma once

#include <signal.h>
#include <sys/types.h>

#include <cstddef>

/// While it lives, SIGINT and SIGTERM sent to a sweep are passed on, each once, to the row
/// processes it runs (which keep what they found and record themselves as cancelled), and the
/// sweep learns that it should start no more rows. The rows run in process groups of their own,
/// so a Ctrl-C on the terminal reaches them only this way, exactly once. The handlers before it
/// come back when it goes.
class RowSignals {
public:
    /// Room for `slots` rows running at once.
    explicit RowSignals(std::size_t slots);
    ~RowSignals();
    RowSignals(const RowSignals&) = delete;
    RowSignals& operator=(const RowSignals&) = delete;

    /// Passes later signals on to row process `id`. A row is started and added while the two
    /// signals are blocked (see Blocked), so that no signal falls between the two.
    void add(pid_t id);
    /// Stops passing signals to `id`, which has ended.
    void remove(pid_t id);
    /// The first signal received, or 0.
    static int received();

    /// Holds SIGINT and SIGTERM back while it lives; they are handled when it goes.
    class Blocked {
    public:
        Blocked();
        ~Blocked();
        Blocked(const Blocked&) = delete;
        Blocked& operator=(const Blocked&) = delete;

    private:
        sigset_t previous;
    };
};
