#include "analysis/IndividualSpeeds.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>

#include "analysis/CrowdFrames.h"

IndividualSpeeds::IndividualSpeeds(const CrowdFrames& frames, int speedFrames) {
    assert(speedFrames >= 1);
    for (const CrowdTrack& track : frames.tracks()) {
        std::vector<double> speeds;
        for (int k = track.firstFrame; k <= track.lastFrame(); ++k) {
            const int t1 = std::max(track.firstFrame, k - speedFrames);
            const int t2 = std::min(track.lastFrame(), k + speedFrames);
            const double elapsed = frames.time(t2) - frames.time(t1);
            // t1 == t2 only on a track of one sample: no displacement says anything of a speed.
            speeds.push_back(elapsed > 0.0 ? std::hypot(track.xAt(t2) - track.xAt(t1),
                                                        track.yAt(t2) - track.yAt(t1)) /
                                                 elapsed
                                           : std::numeric_limits<double>::quiet_NaN());
        }
        bySample.push_back(std::move(speeds));
        firstFrames.push_back(track.firstFrame);
    }
}

double IndividualSpeeds::speed(int track, int frame) const {
    const size_t t = static_cast<size_t>(track);
    assert(frame >= firstFrames[t] &&
           frame - firstFrames[t] < static_cast<int>(bySample[t].size()));
    return bySample[t][static_cast<size_t>(frame - firstFrames[t])];
}
