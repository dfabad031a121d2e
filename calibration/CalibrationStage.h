#pragma once

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "calibration/Calibration.h"

/// Base of a search that runs on a Calibration part it does not own: the algorithm's own when it
/// runs alone, or a hybrid's when it follows the genetic search there, so that both searches share
/// one parameter space, record, metric, cost, evaluation count and parameter list. It hands the
/// search the part's run services, which are protected so that only the algorithms use them.
class CalibrationStage {
protected:
    explicit CalibrationStage(Calibration& shared) : calibration(shared) {}
    ~CalibrationStage() = default;
    CalibrationStage(const CalibrationStage&) = delete;
    CalibrationStage& operator=(const CalibrationStage&) = delete;

    float evaluationCost() { return calibration.evaluationCost(); }
    void readValues(float* values) const { calibration.readValues(values); }
    void writeValues(const float* values) const { calibration.writeValues(values); }
    float valueOf(std::size_t e) const { return calibration.valueOf(e); }
    void setValue(std::size_t e, float value) const { calibration.setValue(e, value); }
    bool startsFrom(float cost) { return calibration.startsFrom(cost); }
    int evaluationCosts(int count, const std::function<void(int, float*)>& fill,
                        std::vector<float>& costs) {
        return calibration.evaluationCosts(count, fill, costs);
    }
    void position(const std::string& text) const { calibration.position(text); }
    void seedGenerator() { calibration.seedGenerator(); }
    void banner() { calibration.banner(); }
    void costLine(float value) { calibration.costLine(value); }
    /// Clamps every setting of the part, those of a hybrid's other search too.
    void clampSettings() { calibration.clampSettings(); }
    bool cancelled() const { return calibration.cancelled(); }
    std::ostream& out() { return calibration.out(); }

    Calibration& calibration;  ///< the part searched; it owns this stage
};
