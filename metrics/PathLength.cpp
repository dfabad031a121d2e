#include "metrics/PathLength.h"

#include <cmath>

#include "metrics/TrajectoryAccess.h"

float PathLength::evaluateParts(Record* record, std::vector<float>& parts) {
    return score(record, &parts);
}

float PathLength::score(Record* record, std::vector<float>* parts) {
    if (parts) {
        parts->clear();
    }
    if (!runRecord(record)) {
        return notANumber();
    }
    const TrajectoryAccess data(*record);
    const int K = static_cast<int>(data.F * 0.8);
    if (!data.hasFrames(K)) {
        return notANumber();
    }
    if (parts) {
        parts->assign(static_cast<size_t>(data.n), 0.0f);
    }
    float total = 0.0f;
    for (int i = 0; i < data.n; ++i) {
        // The first 80 % of each pedestrian's own presence, which is the whole run unless
        // pedestrians come and go.
        const int start = data.first(i);
        const int end = data.partial ? start + static_cast<int>(data.presentFrames(i) * 0.8) : K;
        float measured = 0.0f;
        float simulated = 0.0f;
        for (int l = start + 1; l < end; ++l) {
            const float dxe = data.xe(i, l) - data.xe(i, l - 1);
            const float dye = data.ye(i, l) - data.ye(i, l - 1);
            measured += dxe * dxe + dye * dye;
            const float dxs = data.xs(i, l) - data.xs(i, l - 1);
            const float dys = data.ys(i, l) - data.ys(i, l - 1);
            simulated += dxs * dxs + dys * dys;
        }
        const float difference = measured - simulated;
        const float part = static_cast<float>(std::fabs(static_cast<double>(difference)));
        total += part;
        if (parts) {
            (*parts)[static_cast<size_t>(i)] = part;
        }
    }
    return total;
}
