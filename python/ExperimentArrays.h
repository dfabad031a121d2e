#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pytypes.h>

class Experiment;

/// An experiment's samples as numpy arrays, in the library's float precision, so that every
/// value is the one the models and metrics see. Each call makes new arrays that the caller owns.
namespace ExperimentArrays {

/// Positions (which = 'p') or velocities ('v'): frames × pedestrians × 2, not a number where a
/// pedestrian is absent.
pybind11::array_t<float> samples(const Experiment& experiment, char which);
/// First and last frame (inclusive) of each pedestrian: pedestrians × 2.
pybind11::array_t<int> present(const Experiment& experiment);
/// The time of each frame (s).
pybind11::array_t<float> times(const Experiment& experiment);
/// Obstacle segments x1 y1 x2 y2: segments × 4.
pybind11::array_t<float> obstacles(const Experiment& experiment);
/// One row per present sample, pedestrian after pedestrian: the columns id (from 1), frame
/// (from 0), t (s), x, y (m), vx, vy (m/s), in the order a DataFrame shows them.
pybind11::dict columns(const Experiment& experiment);

}  // namespace ExperimentArrays
