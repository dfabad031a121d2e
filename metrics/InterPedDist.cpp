#include "metrics/InterPedDist.h"

#include <algorithm>

#include "metrics/OverlappingPairs.h"
#include "metrics/TrajectoryAccess.h"

float InterPedDist::evaluate(Record* record) {
    if (!runRecord(record)) {
        return notANumber();
    }
    const TrajectoryAccess data(*record);
    if (!data.hasFrames(data.F)) {
        return notANumber();
    }
    float sum = 0.0f;
    float pairs = 0.0f;
    const auto compare = [&](int i, int j) {
        // A pair is compared over the frames on which both are present.
        const int start = std::max(data.first(i), data.first(j));
        const int end = std::min(data.last(i), data.last(j));
        const float frames = static_cast<float>(data.partial ? end - start + 1 : data.F);
        float measured = 0.0f;
        float simulated = 0.0f;
        for (int k = start; k <= end; ++k) {
            const float dxe = data.xe(i, k) - data.xe(j, k);
            const float dye = data.ye(i, k) - data.ye(j, k);
            measured += dxe * dxe + dye * dye;
            const float dxs = data.xs(i, k) - data.xs(j, k);
            const float dys = data.ys(i, k) - data.ys(j, k);
            simulated += dxs * dxs + dys * dys;
        }
        measured /= frames;
        simulated /= frames;
        const float difference = measured - simulated;
        sum += difference * difference;
        pairs += 1.0f;
    };
    if (data.partial) {
        // A pair that never meets takes no part, and in a long recording most pairs never
        // meet: only those who do are visited, in the same order as all pairs would be.
        const OverlappingPairs meeting(data.experiment, data.n);
        for (const OverlappingPairs::Pair& pair : meeting.pairs()) {
            compare(pair.first, pair.second);
        }
    } else {
        for (int i = 0; i + 1 < data.n; ++i) {
            for (int j = i + 1; j < data.n; ++j) {
                compare(i, j);
            }
        }
    }
    // Fewer than two agents (or no pair present together) give 0 / 0: not a number.
    return sum / pairs;
}
