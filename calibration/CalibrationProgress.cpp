#include "calibration/CalibrationProgress.h"

#include "calibration/Calibration.h"
#include "core/NumberText.h"

namespace {

// Hours, minutes and seconds ("1:02:05"): a terminal line and a dialog keep their width while
// the seconds count up, and an hour-long run still reads at a glance.
std::string clockText(double seconds) {
    const long whole = seconds > 0.0 ? static_cast<long>(seconds) : 0;
    return NumberText::format("%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60, whole % 60);
}

}  // namespace

void CalibrationProgress::attach(Calibration& calibration) {
    {
        const std::lock_guard<std::mutex> guard(lock);
        trace = CostTrace();
        position.clear();
        start = std::chrono::steady_clock::now();
    }
    calibration.onEvaluation = [this](float cost) {
        const std::lock_guard<std::mutex> guard(lock);
        trace.add(cost);
    };
    calibration.onPosition = [this](const std::string& text) {
        const std::lock_guard<std::mutex> guard(lock);
        position = text;
    };
}

CalibrationProgress::Figures CalibrationProgress::figures() const {
    const std::lock_guard<std::mutex> guard(lock);
    Figures f;
    f.evaluations = trace.size();
    if (f.evaluations > 0) {
        f.initialCost = trace.row(0).first;
        f.bestCost = trace.bestCost();
    }
    f.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    f.position = position;
    return f;
}

std::vector<std::pair<float, float>> CalibrationProgress::rowsFrom(std::size_t from) const {
    const std::lock_guard<std::mutex> guard(lock);
    std::vector<std::pair<float, float>> rows;
    for (std::size_t i = from; i < trace.size(); ++i) {
        rows.push_back(trace.row(i));
    }
    return rows;
}

bool CalibrationProgress::writeTrace(const std::string& path, std::string& error) const {
    const std::lock_guard<std::mutex> guard(lock);
    return trace.write(path, error);
}

bool CalibrationProgress::writeTrace(AtomicFile& out, std::string& error) const {
    const std::lock_guard<std::mutex> guard(lock);
    return trace.write(out, error);
}

std::string CalibrationProgress::describe(const Figures& f) {
    if (f.evaluations == 0) {
        return "starting, " + clockText(f.seconds);
    }
    return NumberText::format("%zu evaluation%s, best %g (initial %g), ", f.evaluations,
                              f.evaluations == 1 ? "" : "s", static_cast<double>(f.bestCost),
                              static_cast<double>(f.initialCost)) +
           clockText(f.seconds) + (f.position.empty() ? "" : "; " + f.position);
}
