#pragma once

#include <string>
#include <vector>

/// Trajectories as they leave Vestra: each pedestrian's samples on the consecutive frames on
/// which it is present, on the frame times of one recording.
struct TrackSet {
    struct Track {
        int id = 0;                       ///< from 1
        int firstFrame = 0;               ///< the frame of sample 0
        std::vector<float> x, y, vx, vy;  ///< metres, metres per second
    };
    std::vector<Track> tracks;
    std::vector<float> times;  ///< seconds, of every frame, from the first
    /// Lines that say where the trajectories come from (model, parameters), written as comments
    /// where the format has them.
    std::vector<std::string> about;
};

/// Files of trajectories that the recording readers read back to the same samples: the
/// laboratory text layout ("id frame x y z", metres, with the frame rate and unit stated in
/// comments), CSV with the header id,frame,t,x,y,vx,vy, and the one-object-per-line layout of
/// trajectory-prediction benchmarks (scene and track rows; its readers need the frame rate, which
/// the scene row states). Frames are numbered from 0 at the first frame, at the rate of the first
/// frame step (2.5 frames per second for samples 0.4 s apart); every number is written with
/// enough digits to read back to the same float.
namespace TrackFile {

enum class Format { text, csv, ndjson };

/// The format named "txt", "csv" or "ndjson"; false for another name.
bool formatNamed(const std::string& name, Format& format);
/// The format that `path`'s extension names; false when it names none.
bool formatOf(const std::string& path, Format& format);
/// The frame rate the files state: 1 / the first frame step, or 1 without one.
double frameRate(const TrackSet& set);

/// Writes `set` to `path` in `format`, replacing it only when everything was written. False,
/// with `error`, when it could not be.
bool write(const TrackSet& set, Format format, const std::string& path, std::string& error);

}  // namespace TrackFile
