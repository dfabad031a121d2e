#include "data/Experiment.h"

#include "data/Parser.h"

Experiment::Experiment(Parser& parser) {
    parser.fill(*this);
    parser.fillPresence(presentFirst, presentLast, sampleBase);
    parser.fillDirections(directions, speeds);
    if (directions.size() != velX.size() || speeds.size() != velX.size()) {
        directions.clear();
        speeds.clear();
    }
    const size_t P = pedestrianCount > 0 ? static_cast<size_t>(pedestrianCount) : 0;
    // A format without presence: everybody on every frame, in the plain table layout.
    if (presentFirst.size() != P || presentLast.size() != P || sampleBase.size() != P) {
        presentFirst.assign(P, 0);
        presentLast.assign(P, frameCount - 1);
        sampleBase.resize(P);
        for (size_t p = 0; p < P; ++p) {
            sampleBase[p] = static_cast<std::ptrdiff_t>(p) * frameCount;
        }
    }
    for (size_t p = 0; p < P; ++p) {
        partialPresence = partialPresence || presentFirst[p] > 0 || presentLast[p] < frameCount - 1;
    }
}
