#pragma once

/// Bounds beyond which a value cannot come from a recording of pedestrians, so that a file that
/// holds one is refused when it is read rather than turning every score into inf or nan. They
/// are far beyond any real scene, and well inside what the models' float arithmetic can square
/// and sum.
namespace RecordingLimits {

/// Largest distance of a position or obstacle coordinate from the origin (m).
constexpr double largestCoordinate = 1e6;
/// Largest measured speed (m/s).
constexpr double largestSpeed = 1e6;
/// Frame rates that a recording may have (frames per second); their inverses bound the time
/// between two frames.
constexpr double lowestFrameRate = 1e-3;
constexpr double highestFrameRate = 1e6;
/// Time between two frames (s).
constexpr double shortestFrameStep = 1.0 / highestFrameRate;
constexpr double longestFrameStep = 1.0 / lowestFrameRate;

/// The bounds in words, for messages.
constexpr const char* coordinateText = "1e6 m";
constexpr const char* speedText = "1e6 m/s";
constexpr const char* frameRateText = "0.001 to 1e6 frames per second";

}  // namespace RecordingLimits
