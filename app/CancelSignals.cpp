#include "app/CancelSignals.h"

#include <unistd.h>

#include <atomic>
#include <csignal>

#include "calibration/Calibration.h"

namespace {

std::atomic<Calibration*> target{nullptr};
volatile std::sig_atomic_t firstSignal = 0;
struct sigaction previousInterrupt;
struct sigaction previousTerminate;

// Only lock-free atomic operations and _exit: what a signal handler may do.
void onSignal(int number) {
    if (firstSignal != 0) {
        if (number == SIGINT) {
            _exit(128 + SIGINT);
        }
        return;
    }
    firstSignal = number;
    if (Calibration* calibration = target.load()) {
        calibration->requestCancel();
    }
}

}  // namespace

CancelSignals::CancelSignals(Calibration& calibration) {
    firstSignal = 0;
    target.store(&calibration);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previousInterrupt);
    sigaction(SIGTERM, &action, &previousTerminate);
}

CancelSignals::~CancelSignals() {
    sigaction(SIGINT, &previousInterrupt, nullptr);
    sigaction(SIGTERM, &previousTerminate, nullptr);
    target.store(nullptr);
}

int CancelSignals::received() {
    return firstSignal;
}
