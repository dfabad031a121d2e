#include "metrics/DisplacementError.h"

#include <algorithm>

#include "core/Random.h"
#include "core/StepThreads.h"
#include "core/ThreadGroup.h"
#include "core/WordChoice.h"
#include "data/Experiment.h"
#include "models/Simulation.h"
#include "run/Record.h"
#include "run/RunProtocol.h"

namespace {

const char* const observedGoal = "observed";
const char* const recordedGoal = "recorded";

}  // namespace

DisplacementError::DisplacementError(bool finalError, const char* metricName) : final(finalError) {
    name = metricName;
    addParameter("Observe", std::make_unique<WholeNumberFrom>(2), &observe);
    addParameter("Predict", std::make_unique<WholeNumberFrom>(1), &predict);
    addParameter("Goal",
                 std::make_unique<WordChoice>(std::vector<std::string>{observedGoal, recordedGoal}),
                 &goal);
}

DisplacementError::~DisplacementError() = default;

std::string DisplacementError::settingsProblem() const {
    if (observe < 2) {
        return "\"Observe\" needs at least 2 frames (a velocity needs two), not " +
               std::to_string(observe) + ".";
    }
    if (predict < 1) {
        return "\"Predict\" needs at least 1 frame, not " + std::to_string(predict) + ".";
    }
    if (goal != observedGoal && goal != recordedGoal) {
        return "\"Goal\" is observed or recorded, not \"" + goal + "\".";
    }
    return std::string();
}

void DisplacementError::shareRuns(int threadCount, ModelFactory make) {
    const int count = std::min(threadCount, ThreadGroup::most);
    threads.reset();
    kept.clear();
    makeModel = count >= 2 ? std::move(make) : ModelFactory();
    if (count >= 2 && makeModel) {
        threads = std::make_unique<StepThreads>(count);
        if (!threads->failure().empty()) {
            threads.reset();  // the calling thread does it all, with the same result
        }
    }
}

SequencePrediction DisplacementError::protocolFor(const Experiment& experiment) const {
    return SequencePrediction(experiment, observe, predict,
                              goal == observedGoal ? SequencePrediction::Goal::observed
                                                   : SequencePrediction::Goal::recorded);
}

float DisplacementError::evaluate(Record* record) {
    setProblem(std::string());
    if (!record || !record->boundExperiment() || !record->boundSimulation()) {
        return notANumber();
    }
    if (const std::string problem = settingsProblem(); !problem.empty()) {
        setProblem(problem);
        return notANumber();
    }
    const Experiment& experiment = *record->boundExperiment();
    Simulation& model = *record->boundSimulation();
    const SequencePrediction protocol = protocolFor(experiment);
    // Each sequence draws from a stream of its own; the caller's sequence goes on unchanged.
    const unsigned seed = Random::currentState();
    const std::vector<SequencePrediction::Errors> errors =
        runSequences(protocol, experiment, model, seed);
    Random::seed(seed);
    for (int p = 0; p < model.agentCount(); ++p) {
        model.setPresent(p, true);
    }
    SequencePrediction::Errors total;
    for (const SequencePrediction::Errors& sequence : errors) {
        total += sequence;
    }
    if (total.scored == 0) {
        setProblem("no pedestrian is present on all " + std::to_string(observe + predict) +
                   " frames (Observe + Predict) of any sequence of evenly spaced frames");
        return notANumber();
    }
    const double sum = final ? total.finalSum : total.averageSum;
    return static_cast<float>(sum / static_cast<double>(total.scored));
}

std::vector<SequencePrediction::Errors> DisplacementError::runSequences(
    const SequencePrediction& protocol, const Experiment& experiment, Simulation& model,
    unsigned seed) {
    const int count = protocol.sequenceCount();
    std::vector<SequencePrediction::Errors> errors(static_cast<std::size_t>(count));
    if (!threads || count < 2) {
        for (int s = 0; s < count; ++s) {
            Random::seed(Random::streamSeed(seed, static_cast<unsigned long long>(s) + 1));
            errors[static_cast<std::size_t>(s)] = protocol.run(model, s);
        }
        return errors;
    }
    // One model per thread, set up here, so that the batches only take and give them back.
    while (kept.size() < static_cast<std::size_t>(threads->threads())) {
        kept.push_back(makeModel());
    }
    for (const std::unique_ptr<Simulation>& own : kept) {
        // Set up afresh each time: the experiment may be another one at the same address.
        RunProtocol::prepare(*own, experiment);
        own->parameterTable().values() = model.agentParameters();
    }
    forEachBatch(
        threads.get(), static_cast<std::size_t>(count),
        [&](std::size_t begin, std::size_t end) {
            std::unique_ptr<Simulation> own = takeModel();
            for (std::size_t s = begin; s < end; ++s) {
                Random::seed(Random::streamSeed(seed, s + 1));
                errors[s] = protocol.run(*own, static_cast<int>(s));
            }
            returnModel(std::move(own));
        },
        1);
    return errors;
}

std::unique_ptr<Simulation> DisplacementError::takeModel() {
    const std::lock_guard<std::mutex> guard(keptLock);
    // No more batches run at once than there are threads, each of which has its model.
    std::unique_ptr<Simulation> taken = std::move(kept.back());
    kept.pop_back();
    return taken;
}

void DisplacementError::returnModel(std::unique_ptr<Simulation> model) {
    const std::lock_guard<std::mutex> guard(keptLock);
    kept.push_back(std::move(model));
}
