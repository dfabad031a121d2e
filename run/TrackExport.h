#pragma once

#include "data/TrackFile.h"

class Experiment;
class Simulation;

/// The trajectories of a record, measured or simulated, as they are written out of Vestra:
/// pedestrian i (agent i) is track i + 1, with its samples on the frames it is present.
namespace TrackExport {

/// The measured trajectories of `experiment`.
TrackSet measured(const Experiment& experiment);

/// What `simulation` recorded in its last run over `experiment`, on the experiment's frame times
/// (for a run through waypoints, which may last longer, at its time step).
TrackSet simulated(const Simulation& simulation, const Experiment& experiment);

}  // namespace TrackExport
