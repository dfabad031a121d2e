#include "python/ExperimentArrays.h"

#include <cstdint>
#include <limits>

#include "data/Experiment.h"

namespace py = pybind11;

namespace ExperimentArrays {

py::array_t<float> samples(const Experiment& experiment, char which) {
    const std::vector<float>& xs = which == 'p' ? experiment.posX : experiment.velX;
    const std::vector<float>& ys = which == 'p' ? experiment.posY : experiment.velY;
    const py::ssize_t frames = experiment.frameCount;
    const py::ssize_t pedestrians = experiment.pedestrianCount;
    py::array_t<float> array({frames, pedestrians, py::ssize_t{2}});
    float* const cells = array.mutable_data();
    std::fill(cells, cells + array.size(), std::numeric_limits<float>::quiet_NaN());
    for (int p = 0; p < experiment.pedestrianCount; ++p) {
        for (int k = experiment.presentFirst[p]; k <= experiment.presentLast[p]; ++k) {
            const std::ptrdiff_t at = experiment.sampleIndex(p, k);
            float* const cell = cells + (k * pedestrians + p) * 2;
            cell[0] = xs[static_cast<std::size_t>(at)];
            cell[1] = ys[static_cast<std::size_t>(at)];
        }
    }
    return array;
}

py::array_t<int> present(const Experiment& experiment) {
    py::array_t<int> array({py::ssize_t{experiment.pedestrianCount}, py::ssize_t{2}});
    auto cells = array.mutable_unchecked<2>();
    for (int p = 0; p < experiment.pedestrianCount; ++p) {
        cells(p, 0) = experiment.presentFirst[p];
        cells(p, 1) = experiment.presentLast[p];
    }
    return array;
}

py::array_t<float> times(const Experiment& experiment) {
    return py::array_t<float>(experiment.frameCount, experiment.times.data());
}

py::array_t<float> obstacles(const Experiment& experiment) {
    const py::ssize_t count = static_cast<py::ssize_t>(experiment.obstacles.size());
    py::array_t<float> array({count, py::ssize_t{4}});
    auto cells = array.mutable_unchecked<2>();
    for (py::ssize_t s = 0; s < count; ++s) {
        const Segment& segment = experiment.obstacles[static_cast<std::size_t>(s)];
        cells(s, 0) = segment.x1;
        cells(s, 1) = segment.y1;
        cells(s, 2) = segment.x2;
        cells(s, 3) = segment.y2;
    }
    return array;
}

py::dict columns(const Experiment& experiment) {
    py::ssize_t rows = 0;
    for (int p = 0; p < experiment.pedestrianCount; ++p) {
        rows += experiment.presentFrames(p);
    }
    py::array_t<std::int64_t> id(rows), frame(rows);
    py::array_t<double> t(rows), x(rows), y(rows), vx(rows), vy(rows);
    std::int64_t* const ids = id.mutable_data();
    std::int64_t* const frames = frame.mutable_data();
    double* const ts = t.mutable_data();
    double* const xs = x.mutable_data();
    double* const ys = y.mutable_data();
    double* const vxs = vx.mutable_data();
    double* const vys = vy.mutable_data();
    py::ssize_t row = 0;
    for (int p = 0; p < experiment.pedestrianCount; ++p) {
        for (int k = experiment.presentFirst[p]; k <= experiment.presentLast[p]; ++k, ++row) {
            const std::size_t at = static_cast<std::size_t>(experiment.sampleIndex(p, k));
            ids[row] = p + 1;
            frames[row] = k;
            ts[row] = experiment.times[static_cast<std::size_t>(k)];
            xs[row] = experiment.posX[at];
            ys[row] = experiment.posY[at];
            vxs[row] = experiment.velX[at];
            vys[row] = experiment.velY[at];
        }
    }
    py::dict table;
    table["id"] = id;
    table["frame"] = frame;
    table["t"] = t;
    table["x"] = x;
    table["y"] = y;
    table["vx"] = vx;
    table["vy"] = vy;
    return table;
}

}  // namespace ExperimentArrays
