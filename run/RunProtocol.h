#pragma once

class Experiment;
class Simulation;

/// How a model is run against an experiment: the one place that sets a simulation up for a
/// scene, places its agents, steps it along the experiment's frames and records what it does.
/// Pedestrian i of the experiment is agent i of the simulation.
namespace RunProtocol {

/// Sets `simulation` up for `experiment`: exactly its obstacle segments (kept when the scene
/// already holds them), one agent per pedestrian with default parameters, everybody at the start.
void prepare(Simulation& simulation, const Experiment& experiment);

/// Puts every agent where its pedestrian starts: at its first measured position and velocity,
/// heading for its last measured position (absent until its first frame when pedestrians come
/// and go); or, for an experiment of waypoints, at its first waypoint heading for the second.
void placeAtStart(Simulation& simulation, const Experiment& experiment);

/// One whole run: along the frame times from the first measured states, recording every
/// agent's state on every frame its pedestrian is present; or through the waypoints.
void runWhole(Simulation& simulation, const Experiment& experiment);

/// A run of the frames `first` to `last` (within the experiment's): the pedestrians present on
/// `first` enter in their measured states there, the others on their first frame, each leaves
/// after its last, and each agent's recording starts on the frame it entered. With `first` 0 and
/// `last` the last frame, this is the whole run of pedestrians who come and go.
void runWindow(Simulation& simulation, const Experiment& experiment, int first, int last);

}  // namespace RunProtocol
