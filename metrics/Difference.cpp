#include "metrics/Difference.h"

#include "metrics/TrajectoryAccess.h"

float Difference::evaluateParts(Record* record, std::vector<float>& parts) {
    return score(record, &parts);
}

float Difference::score(Record* record, std::vector<float>* parts) {
    if (parts) {
        parts->clear();
    }
    if (!runRecord(record)) {
        return notANumber();
    }
    const TrajectoryAccess data(*record);
    if (!data.hasFrames(data.F)) {
        return notANumber();
    }
    if (parts) {
        parts->assign(static_cast<size_t>(data.n), 0.0f);
    }
    float sum = 0.0f;
    for (int i = 0; i < data.n; ++i) {
        for (int k = data.first(i); k <= data.last(i); ++k) {
            const float dx = data.xe(i, k) - data.xs(i, k);
            const float dy = data.ye(i, k) - data.ys(i, k);
            // (sum + dx²) + dy², left to right: rounding, and so ties between calibration
            // trials, depends on the grouping.
            sum = sum + dx * dx + dy * dy;
            if (parts) {
                (*parts)[static_cast<size_t>(i)] += dx * dx + dy * dy;
            }
        }
    }
    // No agents or no frames give 0 / 0: not a number. With pedestrians coming and going, the
    // mean is over the samples both measured and simulated.
    const float samples = data.partial ? static_cast<float>(data.presentSamples())
                                       : static_cast<float>(data.n) * static_cast<float>(data.F);
    if (parts) {
        for (float& part : *parts) {
            part /= samples;
        }
    }
    return sum / samples;
}
