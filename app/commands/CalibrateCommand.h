#pragma once

#include <chrono>
#include <iosfwd>
#include <string>

class AtomicFile;
class Calibration;
class PreparedRun;
class CalibrationProgress;
class Record;
struct CalibrateRequest;

/// `vestra-batch calibrate`: one calibration of the model's parameters, per pedestrian of one
/// recording or shared by the pedestrians of several, with the desktop program's console output,
/// and its parameter file, trace and distributions written when it ends. Both
/// the command line and each row of a sweep run it from a CalibrateRequest.
class CalibrateCommand {
public:
    /// `showProgress` switches the progress line on standard error on (for a terminal).
    CalibrateCommand(std::ostream& out, std::ostream& err, bool showProgress)
        : out(out), err(err), showProgress(showProgress) {}

    /// Runs the calibration; the exit status, ExitStatus::stoppedBy a signal that ended it early
    /// after its outputs were written.
    int run(const CalibrateRequest& request);

private:
    /// The request's seed, or the calendar time, which is then printed.
    unsigned chooseSeed(const CalibrateRequest& request) const;
    /// Shows the figures of the progress dialog on one terminal line, a few times a second.
    void showProgressLine(Calibration& calibration, const CalibrationProgress& progress);
    /// Writes every output in full before any replaces its target: a run whose trace finds the
    /// disk full leaves the previous parameter file too.
    bool writeOutputs(const CalibrateRequest& request, Record& record,
                      const CalibrationProgress& progress) const;

    /// Each recording's score at the start and at the best values, after the report.
    void reportRecordings(PreparedRun& run, const Calibration& calibration) const;
    /// Writes each agent parameter's calibrated values as "Name=min max NORMAL mean deviation".
    static bool writeDistributions(Record& record, AtomicFile& out, std::string& error);

    std::ostream& out;
    std::ostream& err;
    bool showProgress;
    std::chrono::steady_clock::time_point lastShown;  ///< when the progress line last changed
};
