#pragma once

#include <memory>
#include <string>
#include <vector>

#include "analysis/IndividualSpeeds.h"
#include "metrics/Metric.h"

class Experiment;

/// How far a model's crowd lies from the recorded one on the fundamental diagram, frame by frame.
/// Both crowds are measured in the same area with the same settings (DensitySpeed), and the score
/// is the mean over every frame of the recording that has a time (F of them) of
///     "Density weight" · (ρs − ρm)² + "Speed weight" · (vs − vm)²,
/// with ρ the Voronoi density (1/m²) and v the Voronoi speed (m/s) of the simulated (s) and the
/// measured (m) crowd. The two terms are in (1/m²)² and (m/s)² and are added as plain numbers,
/// which the weights trade against each other. A frame on which either speed is undefined (no
/// cell that reaches the area has a speed, as on a frame with nobody near it) adds its density
/// term only and still counts as one of the F. Both crowds' Voronoi cells are bounded by one
/// walkable area: the measured crowd's bounding box grown by DensitySpeedSettings::walkableMargin
/// on every side. Not a number, with problem() saying why, when the settings are out of range
/// or a crowd cannot be measured: a measured crowd with nobody inside the area on any frame, an
/// area that leaves the walkable area, a simulated position that is not finite. A simulated
/// crowd with nobody inside the area is scored.
///
/// The measured crowd's measurements do not change during a calibration and cost about as much as
/// the simulated one's, so they are kept for the recordings evaluated last, each found again by
/// its samples and the settings, never by where it lies in memory.
class FundamentalDiagram : public virtual Metric {
public:
    FundamentalDiagram();
    ~FundamentalDiagram() override;

    float evaluate(Record* record) override;
    /// Says which setting cannot be used; such settings make every score not a number.
    std::string commitMessage() const override;

private:
    struct Measured;

    /// Why the settings cannot be used, as problem() says it; empty when they can.
    std::string settingsProblem() const;
    /// The measured crowd's measurements by the current settings, kept or made now.
    const Measured& measuredCrowd(const Experiment& experiment);

    /// The measurement area as corners "x1 y1 x2 y2 x3 y3 ..." in metres; empty (the default): the
    /// measured crowd's bounding box, the smallest upright rectangle around all its samples.
    std::string area;
    /// Frames on each side of an individual speed's difference (K, at least 1).
    int speedFrames = IndividualSpeeds::defaultSpeedFrames;
    /// Factor of the squared density difference; finite and at least 0.
    float densityWeight = 1.0f;
    /// Factor of the squared speed difference; finite and at least 0.
    float speedWeight = 1.0f;

    std::vector<std::unique_ptr<Measured>> kept;  ///< the recordings evaluated last, newest last
};
