#include "metrics/Vorticity.h"

#include <cmath>
#include <memory>
#include <ostream>
#include <vector>

#include "metrics/TrajectoryAccess.h"

namespace {

// Points this close to the origin (m²) keep their raw term: dividing by r⁴ would blow up.
constexpr double originSquaredRadius = 1e-7;

}  // namespace

Vorticity::Vorticity() {
    name = "Vorticity";
    addParameter("save", std::make_unique<Type_bool>(), &save);
}

float Vorticity::rotationTerm(float x, float y, float vx, float vy) {
    const float r2 = x * x + y * y;
    if (static_cast<double>(r2) > originSquaredRadius) {
        x /= r2;
        y /= r2;
        vx /= r2;
        vy /= r2;
    }
    return x * vy - y * vx;
}

float Vorticity::evaluate(Record* record) {
    if (!runRecord(record)) {
        return notANumber();
    }
    const TrajectoryAccess data(*record);
    const int P = data.experiment.pedestrianCount;
    // Pedestrian p is compared with agent p, so every pedestrian needs a full recording.
    if (data.n != P || !data.hasFrames(data.F) || !data.hasMeasured(data.F)) {
        return notANumber();
    }
    std::vector<float> measured(static_cast<size_t>(P), 0.0f);
    std::vector<float> simulated(static_cast<size_t>(P), 0.0f);
    for (int p = 0; p < P; ++p) {
        for (int k = data.first(p); k <= data.last(p); ++k) {
            // A sample that is not a number, or a point whose term overflows, is left out.
            const float a =
                rotationTerm(data.xe(p, k), data.ye(p, k), data.vxe(p, k), data.vye(p, k));
            if (std::isfinite(static_cast<double>(a))) {
                measured[p] += a;
            }
            const float b =
                rotationTerm(data.xs(p, k), data.ys(p, k), data.vxs(p, k), data.vys(p, k));
            if (std::isfinite(static_cast<double>(b))) {
                simulated[p] += b;
            }
        }
    }
    float measuredSum = 0.0f;
    float simulatedSum = 0.0f;
    for (int p = 0; p < P; ++p) {
        measuredSum += measured[p];
        simulatedSum += simulated[p];
    }
    const float samples = data.partial ? static_cast<float>(data.presentSamples())
                                       : static_cast<float>(data.F) * static_cast<float>(P);
    const float E = measuredSum / samples;
    const float S = simulatedSum / samples;
    if (save && console()) {
        *console() << "  Exp: " << E << "\n  Sim: " << S << std::endl;
    }
    return static_cast<float>(std::fabs(static_cast<double>(E - S)));
}
