#pragma once

class Calibration;

/// While it lives, the first SIGINT (Ctrl-C) or SIGTERM (what a batch scheduler sends at its time
/// limit) asks the calibration to stop as "Cancel" does, so that what it found is kept and
/// written; a second SIGINT ends the process at once, writing nothing. The handlers before it
/// come back when it goes.
class CancelSignals {
public:
    explicit CancelSignals(Calibration& calibration);
    ~CancelSignals();
    CancelSignals(const CancelSignals&) = delete;
    CancelSignals& operator=(const CancelSignals&) = delete;

    /// The signal that asked for the cancel, or 0.
    static int received();
};
