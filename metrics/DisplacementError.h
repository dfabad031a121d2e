#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "metrics/Metric.h"
#include "run/SequencePrediction.h"

class Experiment;
class StepThreads;

/// How far a model's predictions of real pedestrians land from where they went, by the
/// prediction protocol of pedestrian studies (SequencePrediction): over every sequence of
/// "Observe" + "Predict" frames, the mean over scored pedestrians of their mean distance over the
/// predicted frames (average displacement error) or of their distance on the last one (final
/// displacement error), in metres. Sequences are independent: with shareRuns they run on several
/// threads, each drawing from a stream of its own, so the score is the same for every count.
class DisplacementError : public virtual Metric {
public:
    ~DisplacementError() override;

    float evaluate(Record* record) override;
    void shareRuns(int threads, ModelFactory make) override;
    /// Says which setting is out of its range; such settings make every score not a number.
    std::string commitMessage() const override { return settingsProblem(); }
    /// The sequences of `experiment` by the current settings, for showing one of them; only
    /// when the settings are usable.
    SequencePrediction protocolFor(const Experiment& experiment) const;

protected:
    /// `final`: the final displacement error, else the average one.
    DisplacementError(bool final, const char* metricName);

private:
    /// Why the settings cannot be used; empty when they can.
    std::string settingsProblem() const;
    /// The errors of every sequence, in order, on the record's model or on the threads.
    std::vector<SequencePrediction::Errors> runSequences(const SequencePrediction& protocol,
                                                         const Experiment& experiment,
                                                         Simulation& model, unsigned seed);
    /// A model that no thread is using, set up for the evaluation in progress.
    std::unique_ptr<Simulation> takeModel();
    void returnModel(std::unique_ptr<Simulation> model);

    int observe = SequencePrediction::defaultObserve;
    int predict = SequencePrediction::defaultPredict;
    std::string goal = "observed";
    bool final;

    std::unique_ptr<StepThreads> threads;
    ModelFactory makeModel;
    std::mutex keptLock;
    std::vector<std::unique_ptr<Simulation>> kept;  ///< models the threads are not using
};
