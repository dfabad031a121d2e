#pragma once

#include <memory>

class LoadedExperiment;
class ParameterChoice;
struct CalibrateRequest;

/// One run of the request's model over `measured`, as `vestra-batch simulate` runs it (the record
/// built as evaluate builds it, the generator seeded with the request's seed, if any, before the
/// run), as an experiment of its own: the simulated crowd, in the same scene, with the comments
/// that `simulate` writes. Throws Refusal as an evaluation's preparation does.
std::shared_ptr<LoadedExperiment> simulateCrowd(const LoadedExperiment& measured,
                                                const CalibrateRequest& request,
                                                const ParameterChoice& parameters);
