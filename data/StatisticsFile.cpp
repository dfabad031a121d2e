#include "data/StatisticsFile.h"

#include <algorithm>
#include <cstdio>

#include "core/AtomicFile.h"
#include "core/NumberText.h"
#include "data/Experiment.h"

namespace StatisticsFile {

bool write(const Experiment& e, const Trajectories& run, int agents, const std::string& path,
           long long& lines, std::string& error) {
    AtomicFile out(path);
    const int obstacles = static_cast<int>(e.obstacles.size());
    lines = 1 + obstacles;
    if (std::FILE* f = out.stream()) {
        // An experiment of a single frame has no second frame time; 0 stands for it.
        const double secondTime = e.frameCount > 1 ? e.times[1] : 0.0;
        NumberText::print(f, "%d %f\n", obstacles, secondTime);
        for (const Segment& o : e.obstacles) {
            NumberText::print(f, "%f %f %f %f\n", o.x1 * 100.0, o.y1 * 100.0, o.x2 * 100.0,
                              o.y2 * 100.0);
        }
        for (int i = 0; i < agents; ++i) {
            // Sample j of an agent that entered at frame `from` stands for frame from + j.
            const int from = run.from.empty() ? 0 : run.from[static_cast<size_t>(i)];
            const int samples =
                std::min(run.frames - from, static_cast<int>(run.x[static_cast<size_t>(i)].size()));
            lines += std::max(samples, 0);
            for (int j = 0; j < samples; ++j) {
                NumberText::print(f, "%d %d %f %f 175.0\n", i + 1, from + j,
                                  run.x[static_cast<size_t>(i)][static_cast<size_t>(j)] * 100.0,
                                  run.y[static_cast<size_t>(i)][static_cast<size_t>(j)] * 100.0);
            }
        }
    }
    if (!out.commit()) {
        error = out.errorMessage();
        return false;
    }
    return true;
}

}  // namespace StatisticsFile
