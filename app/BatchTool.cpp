#include "app/BatchTool.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <memory>
#include <new>

#include "app/BatchComponents.h"
#include "app/BatchHelp.h"
#include "app/BatchOptions.h"
#include "app/CancelSignals.h"
#include "app/StandardComponents.h"
#include "app/SweepCommand.h"
#include "calibration/CalibrationProgress.h"
#include "calibration/CalibrationRun.h"
#include "calibration/ComponentRegistry.h"
#include "calibration/EvaluationPool.h"
#include "core/AtomicFile.h"
#include "core/NumberText.h"
#include "core/UsableCores.h"
#include "data/AnaWriter.h"
#include "data/Experiment.h"
#include "data/ExperimentLoader.h"
#include "data/ExperimentSummary.h"
#include "data/Record.h"
#include "metrics/Evaluation.h"
#include "metrics/TrajectoryAccess.h"
#include "models/Dummy.h"
#include "models/SimulationGeneric.h"

namespace {

constexpr int success = 0;
constexpr int unusableInput = 1;
constexpr int usageError = 2;

template <class Create>
void listKind(std::ostream& out, const char* title, const std::vector<std::string>& names,
              const Create& create) {
    out << title << ":\n";
    for (size_t i = 0; i < names.size(); ++i) {
        out << "  " << names[i] << "\n";
        const auto component = create(static_cast<int>(i));
        for (const std::string& parameter : component->parameterNames()) {
            out << "    " << parameter << " (" << component->parameterType(parameter)
                << ") = " << component->getParameter(parameter) << "\n";
        }
    }
}

std::string formatScore(float score) {
    return NumberText::format("%.9g", static_cast<double>(score));
}

/// Why a run scored no finite number: the first simulated sample that is not one, or else a
/// metric that found nothing to compare.
std::string whyNotFinite(const Record& record, const std::string& metricName) {
    const TrajectoryAccess run(record);
    if (run.hasFrames(record.frameCount)) {
        for (int i = 0; i < run.n; ++i) {
            const int last = run.partial ? run.last(i) : run.F - 1;
            for (int k = run.partial ? run.first(i) : 0; k <= last; ++k) {
                if (!std::isfinite(run.xs(i, k)) || !std::isfinite(run.ys(i, k))) {
                    return "the simulated position of pedestrian " + std::to_string(i + 1) +
                           " is not a finite number at frame " + std::to_string(k) +
                           "; check the model's settings";
                }
            }
        }
    }
    return "\"" + metricName +
           "\" found nothing to compare in this experiment (\"Inter-pedestrian distance\" needs "
           "two pedestrians present together, \"Path Length\" pedestrians present on two frames)";
}

}  // namespace

int BatchTool::run(const std::vector<std::string>& arguments) {
    try {
        return runCommand(arguments);
    } catch (const std::bad_alloc&) {
        err << "vestra-batch: out of memory; nothing was written.\n";
        return unusableInput;
    }
}

int BatchTool::runCommand(const std::vector<std::string>& arguments) {
    if (arguments.size() == 1 && arguments[0] == "--version") {
        out << "vestra-batch " << VESTRA_VERSION << "\n";
        return success;
    }
    if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "help")) {
        out << BatchHelp::all();
        return success;
    }
    if (arguments.size() == 2 && arguments[0] == "help") {
        const std::string help = BatchHelp::of(arguments[1]);
        if (help.empty()) {
            err << "vestra-batch: no command \"" << arguments[1] << "\"; the commands are "
                << BatchHelp::commandNames() << ".\n";
            return usageError;
        }
        out << help;
        return success;
    }
    if (!arguments.empty() && SweepCommand::handles(arguments[0])) {
        return SweepCommand(out, err).run(arguments);
    }
    BatchOptions options;
    std::string error;
    if (!parseBatchOptions(arguments, options, error)) {
        err << "vestra-batch: " << error << "\n" << batchUsage();
        return usageError;
    }
    ComponentRegistry registry;
    registerStandardComponents(registry);
    if (!options.reading.format.empty() && !checkFormat(registry, options.reading.format, error)) {
        err << "vestra-batch: " << error << "\n" << batchUsage();
        return usageError;
    }

    if (options.command == "list") {
        listKind(out, "Models", registry.simulations.names,
                 [&](int i) { return registry.simulations.create(i); });
        listKind(out, "Metrics", registry.metrics.names,
                 [&](int i) { return registry.metrics.create(i); });
        listKind(out, "Algorithms", registry.calibrations.names,
                 [&](int i) { return registry.calibrations.create(i); });
        return success;
    }

    // Names are checked before the file is read, so a typo is reported at once.
    BatchComponents components;
    std::unique_ptr<Simulation>& model = components.model;
    std::unique_ptr<Metric>& metric = components.metric;
    std::unique_ptr<Calibration>& calibration = components.calibration;
    if (options.command == "evaluate" || options.command == "calibrate") {
        std::vector<std::string> problems;
        if (!components.create(registry, options, problems)) {
            for (const std::string& problem : problems) {
                err << "vestra-batch: " << problem << "\n";
            }
            return usageError;
        }
    }
    // Outputs are checked before the file is read, so that hours of calibration are never lost
    // to a folder that does not exist.
    for (const std::string* output : {&options.saveParams, &options.trace, &options.output}) {
        if (!output->empty() && !AtomicFile::canWrite(*output, error)) {
            err << "vestra-batch: " << error << "\n";
            return usageError;
        }
    }
    std::vector<std::string> notes;

    const std::unique_ptr<Experiment> experiment =
        loadExperimentFile(registry, options.file, options.reading, error, &notes);
    if (!experiment) {
        err << "vestra-batch: " << error << "\n";
        return unusableInput;
    }
    if (options.command == "info") {
        const ExperimentSummary summary = summarize(*experiment);
        out << "pedestrians " << summary.pedestrians << "\n"
            << "obstacles " << summary.obstacles << "\n"
            << "frames " << summary.frames << "\n"
            << "duration " << summary.duration << "\n"
            << "present max " << summary.mostPresent << "\n"
            << "present mean " << summary.meanPresent << "\n";
        // What reading decided or left out (a frame rate taken from a comment, a pedestrian
        // of one row) belongs to the description.
        for (const std::string& note : notes) {
            out << "note " << note << "\n";
        }
        return success;
    }
    for (const std::string& note : notes) {
        err << "vestra-batch: note: " << note << "\n";
    }
    if (options.command == "convert") {
        if (!writeAna(*experiment, options.output, error)) {
            err << "vestra-batch: " << error << "\n";
            return unusableInput;
        }
        return success;
    }

    // The record is built as the desktop program's "Load" builds it.
    SimulationGeneric<Dummy> reference;
    Record record;
    record.build(experiment.get(), &reference, model.get());
    if (!options.loadParams.empty() && !record.loadParameters(options.loadParams)) {
        err << "vestra-batch: " << record.lastError() << "\n";
        return unusableInput;
    }
    record.rebuildIndex();
    const int jobs = options.jobs > 0 ? options.jobs : usableCores();
    if (options.jobs == 0) {
        // Chosen by the machine, like a seed by the clock, so the log says what was used.
        err << "jobs " << jobs << "\n";
    }

    if (options.command == "evaluate") {
        if (!model->setStepThreads(jobs)) {
            err << "vestra-batch: The evaluation did not start. " << model->stepThreadsFailure()
                << "\n";
            return unusableInput;
        }
        const float score = evaluateModel(record, reference, *metric);
        out << formatScore(score) << "\n";
        if (!std::isfinite(score)) {
            err << "vestra-batch: the score is " << formatScore(score)
                << ", not a finite number: " << whyNotFinite(record, metric->name) << ".\n";
            return unusableInput;
        }
        return success;
    }

    const unsigned seed =
        options.hasSeed ? options.seed : static_cast<unsigned>(std::time(nullptr));
    if (!options.hasSeed) {
        err << "seed " << seed << "\n";
    }
    calibration->setSeed(seed);
    calibration->setConsole(out);
    CalibrationProgress progress;
    progress.attach(*calibration);
    if (showProgress) {
        // The terminal line shows what the desktop's progress dialog shows, a few times a second.
        const auto addToProgress = calibration->onEvaluation;
        auto lastShown = std::chrono::steady_clock::now();
        calibration->onEvaluation = [&, addToProgress](float cost) {
            addToProgress(cost);
            const auto now = std::chrono::steady_clock::now();
            if (now - lastShown >= std::chrono::milliseconds(200)) {
                lastShown = now;
                err << "\r  " << CalibrationProgress::describe(progress.figures()) << "    "
                    << std::flush;
            }
        };
    }
    bool completed = false;
    {
        const CancelSignals signals(*calibration);
        completed = runCalibration(record, reference, *metric, *calibration, out, jobs,
                                   EvaluationPool::sameAs(registry, *model, *metric));
    }
    if (showProgress) {
        err << "\n";
    }
    if (!completed) {
        err << "vestra-batch: " << calibration->failure << "\n";
        return unusableInput;
    }
    // Every output is written in full before any replaces its target: a run whose trace finds
    // the disk full leaves the previous parameter file too.
    std::vector<std::unique_ptr<AtomicFile>> outputs;
    if (!options.saveParams.empty()) {
        outputs.push_back(std::make_unique<AtomicFile>(options.saveParams));
        if (!record.writeParameters(*outputs.back())) {
            err << "vestra-batch: " << record.lastError() << "\n";
            return unusableInput;
        }
    }
    if (!options.trace.empty()) {
        outputs.push_back(std::make_unique<AtomicFile>(options.trace));
        if (!progress.writeTrace(*outputs.back(), error)) {
            err << "vestra-batch: " << error << "\n";
            return unusableInput;
        }
    }
    std::stable_partition(outputs.begin(), outputs.end(),
                          [](const auto& output) { return output->writesIntoSpecialFile(); });
    for (const std::unique_ptr<AtomicFile>& output : outputs) {
        if (!output->commit()) {
            err << "vestra-batch: " << output->errorMessage() << "\n";
            return unusableInput;
        }
    }
    // A run stopped by a signal kept and wrote what it found, and says so by its status.
    return calibration->cancelled() ? CancelSignals::exitStatus() : success;
}
