#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/BatchComponents.h"
#include "app/commands/EvaluateRequest.h"
#include "app/commands/PreparedRun.h"
#include "python/ParameterChoice.h"

class Experiment;

/// A model and metric set up over one experiment as `vestra-batch evaluate` sets them up (the
/// record built and run once, the parameter values loaded), kept so that each further
/// evaluation costs one evaluation: the score of every one is the score the batch tool prints
/// for the same request, bit for bit.
class PreparedEvaluation {
public:
    /// What decides a score: the request's model, metric and their settings, the parameter
    /// values and the threads.
    struct Key {
        std::string model;
        ParameterSettings modelSettings;
        std::string metric;
        ParameterSettings metricSettings;
        std::string parameters;  ///< ParameterChoice::identity
        int jobs = 1;

        bool operator==(const Key& other) const;
    };

    /// The key of `request` run with `parameters`.
    static Key keyOf(const EvaluateRequest& request, const ParameterChoice& parameters);

    /// Creates the components and builds the record; throws Refusal for an unknown name, a
    /// setting the component refuses, parameter values that do not load, or threads the system
    /// refuses to start.
    PreparedEvaluation(std::shared_ptr<const Experiment> experiment, const EvaluateRequest& request,
                       const ParameterChoice& parameters);
    PreparedEvaluation(const PreparedEvaluation&) = delete;
    PreparedEvaluation& operator=(const PreparedEvaluation&) = delete;

    const Key& key() const { return identity; }
    /// One evaluation: the reference walker scored, then the model run and scored.
    float evaluate();
    /// Why the last evaluation scored no finite number, as the batch tool says it.
    std::string whyNotFinite() const;

private:
    Key identity;
    BatchComponents components;
    std::vector<std::unique_ptr<PreparedRun::Recording>> recordings;
    /// The calling thread's generator right after the record was built: a batch process's
    /// evaluation draws from there, having drawn nothing before it but the build's run.
    unsigned drawsFrom = 1;
};
