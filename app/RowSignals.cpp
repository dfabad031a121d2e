#include "app/RowSignals.h"

#include <signal.h>

#include <atomic>
#include <memory>

namespace {

// Only lock-free atomic operations and kill: what a signal handler may do.
std::unique_ptr<std::atomic<pid_t>[]> rows;
std::size_t rowSlots = 0;
std::atomic<int> firstSignal{0};
struct sigaction previousInterrupt;
struct sigaction previousTerminate;

void onSignal(int number) {
    int expected = 0;
    firstSignal.compare_exchange_strong(expected, number);
    for (std::size_t i = 0; i < rowSlots; ++i) {
        if (const pid_t id = rows[i].load(); id > 0) {
            kill(id, number);
        }
    }
}

}  // namespace

RowSignals::RowSignals(std::size_t slots) {
    rows = std::make_unique<std::atomic<pid_t>[]>(slots);
    for (std::size_t i = 0; i < slots; ++i) {
        rows[i].store(0);
    }
    rowSlots = slots;
    firstSignal.store(0);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a wait for the rows returns, so that the sweep stops starting new ones.
    sigaction(SIGINT, &action, &previousInterrupt);
    sigaction(SIGTERM, &action, &previousTerminate);
}

RowSignals::~RowSignals() {
    sigaction(SIGINT, &previousInterrupt, nullptr);
    sigaction(SIGTERM, &previousTerminate, nullptr);
    rowSlots = 0;
    rows.reset();
}

void RowSignals::add(pid_t id) {
    for (std::size_t i = 0; i < rowSlots; ++i) {
        pid_t free = 0;
        if (rows[i].compare_exchange_strong(free, id)) {
            break;
        }
    }
}

void RowSignals::remove(pid_t id) {
    for (std::size_t i = 0; i < rowSlots; ++i) {
        pid_t listed = id;
        if (rows[i].compare_exchange_strong(listed, 0)) {
            break;
        }
    }
}

int RowSignals::received() {
    return firstSignal.load();
}

RowSignals::Blocked::Blocked() {
    sigset_t both;
    sigemptyset(&both);
    sigaddset(&both, SIGINT);
    sigaddset(&both, SIGTERM);
    sigprocmask(SIG_BLOCK, &both, &previous);
}

RowSignals::Blocked::~Blocked() {
    sigprocmask(SIG_SETMASK, &previous, nullptr);
}
