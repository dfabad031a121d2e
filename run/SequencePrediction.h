#pragma once

class Experiment;
class Simulation;

/// The prediction protocol of pedestrian studies over one experiment: a sequence is `observe` +
/// `predict` consecutive frames, one starting on every frame; the pedestrians present on its
/// last observed frame are simulated from their measured states there, knowing nothing of their
/// future, and those present on every frame of the sequence are scored by how far their
/// predicted positions lie from the measured ones on the `predict` frames that follow.
class SequencePrediction {
public:
    /// Observed frames unless set otherwise.
    static constexpr int defaultObserve = 8;
    /// Predicted frames unless set otherwise.
    static constexpr int defaultPredict = 12;

    /// Where each simulated pedestrian heads.
    enum class Goal {
        observed,  ///< on its observed heading, where constant velocity would take it by the end
        recorded   ///< its measured position on the sequence's last frame (or its last one)
    };

    /// What one or more sequences add up to: each scored pedestrian's mean and final distance
    /// (metres), summed over pedestrians and sequences, and how many were scored.
    struct Errors {
        double averageSum = 0.0;
        double finalSum = 0.0;
        long long scored = 0;

        Errors& operator+=(const Errors& other);
    };

    /// Sequences of `observe` (at least 2) and `predict` (at least 1) frames over `experiment`.
    SequencePrediction(const Experiment& experiment, int observe, int predict, Goal goal);

    /// Sequences there are: one per frame that starts observe + predict frames of the recording.
    int sequenceCount() const;
    /// The frame step of the recording (seconds): the steps of a sequence must all be this one.
    float frameTime() const { return dt; }

    /// Runs sequence `sequence` (starting on that frame) on `simulation`, which is set up for
    /// the experiment with the parameters to use: it hands them to the agents again, puts the
    /// pedestrians of the last observed frame in the scene and everybody else out of it, steps
    /// `predict` times by the frame time and measures the scored pedestrians' errors. A
    /// sequence whose frames are not evenly spaced scores nobody.
    Errors run(Simulation& simulation, int sequence) const;

    /// Puts the agents as sequence `sequence` starts its prediction (without stepping); the
    /// frame of its last observation.
    int place(Simulation& simulation, int sequence) const;

    /// Runs sequence `sequence` as run does and leaves its prediction in the simulation's
    /// recorded trajectories, from the last observed frame on, on the experiment's frames, so
    /// that it can be shown against the measured future; every agent is in the scene again
    /// afterwards. The frame of the last observation.
    int record(Simulation& simulation, int sequence) const;

private:
    /// True when pedestrian p is measured on every frame from `first` to `last`.
    bool presentThroughout(int p, int first, int last) const;
    /// True when the frames from `first` to `last` are spaced by the frame time.
    bool evenlySpaced(int first, int last) const;

    const Experiment& experiment;
    int observe;
    int predict;
    Goal goal;
    float dt = 0.0f;
};
