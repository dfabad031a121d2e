#include "data/AnaWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "core/AtomicFile.h"
#include "core/NumberText.h"
#include "data/Experiment.h"
#include "data/PolarVelocity.h"

namespace {

// Nine significant digits bring every float back exactly.
void putValue(std::FILE* f, float value) {
    NumberText::print(f, " %.9g", static_cast<double>(value));
}

}  // namespace

bool writeAna(const Experiment& e, const std::string& path, std::string& error) {
    AtomicFile out(path);
    if (std::FILE* f = out.stream()) {
        const int F = e.frameCount;
        NumberText::print(f, "nped %d\nnobs %d\nnrow %d\ntime(s)", e.pedestrianCount,
                          e.obstacleCount, F);
        for (int k = 0; k < F; ++k) {
            putValue(f, e.times[static_cast<size_t>(k)]);
        }
        std::fputs("\nobstacles", f);
        for (int i = 0; i < e.obstacleCount; ++i) {
            for (const float value :
                 {e.obstacleX1[i], e.obstacleY1[i], e.obstacleX2[i], e.obstacleY2[i]}) {
                putValue(f, value);
            }
        }
        std::fputs("\n", f);
        for (int p = 0; p < e.pedestrianCount; ++p) {
            const int first = e.presentFirst[p];
            const int last = e.presentLast[p];
            // Frames outside the presence repeat the nearest measured position, standing still.
            const auto sample = [&](int k) { return e.sampleIndex(p, std::clamp(k, first, last)); };
            NumberText::print(f, "center_%d", p + 1);
            for (int k = 0; k < F; ++k) {
                putValue(f, e.posX[sample(k)]);
                putValue(f, e.posY[sample(k)]);
            }
            std::vector<float> directions(static_cast<size_t>(F), 0.0f);
            std::vector<float> speeds(static_cast<size_t>(F), 0.0f);
            for (int k = first; k <= last; ++k) {
                const std::ptrdiff_t i = e.sampleIndex(p, k);
                if (e.directions.empty()) {
                    PolarVelocity::fromVelocity(e.velX[i], e.velY[i], directions[k], speeds[k]);
                } else {
                    directions[k] = e.directions[i];
                    speeds[k] = e.speeds[i];
                }
            }
            NumberText::print(f, "\nori_center_%d", p + 1);
            for (const float direction : directions) {
                putValue(f, direction);
            }
            NumberText::print(f, "\nspd_center_%d", p + 1);
            for (const float speed : speeds) {
                putValue(f, speed);
            }
            std::fputs("\n", f);
            if (e.hasPartialPresence()) {
                NumberText::print(f, "present_%d %d %d\n", p + 1, first, last);
            }
        }
    }
    if (!out.commit()) {
        error = out.errorMessage();
        return false;
    }
    return true;
}
