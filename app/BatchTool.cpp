#include "app/BatchTool.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <memory>
#include <new>
#include <thread>

#include "app/BatchOptions.h"
#include "app/CostTrace.h"
#include "app/StandardComponents.h"
#include "calibration/CalibrationRun.h"
#include "calibration/EvaluationPool.h"
#include "core/AtomicFile.h"
#include "core/ComponentRegistry.h"
#include "core/NumberText.h"
#include "data/AnaWriter.h"
#include "data/Experiment.h"
#include "data/ExperimentLoader.h"
#include "data/ExperimentSummary.h"
#include "data/Record.h"
#include "metrics/Evaluation.h"
#include "models/Dummy.h"
#include "models/SimulationGeneric.h"

namespace {

constexpr int success = 0;
constexpr int unusableInput = 1;
constexpr int usageError = 2;

std::string choices(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "\"" : ", \"") + name + "\"";
    }
    return text;
}

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

/// Creates the component of that display name, or reports the valid choices.
template <class Base>
std::unique_ptr<Base> createByName(const ComponentRegistry::Kind<Base>& kind, const char* what,
                                   const std::string& name, std::ostream& err) {
    std::unique_ptr<Base> component = kind.create(name);
    if (!component) {
        err << "vestra-batch: unknown " << what << " \"" << name << "\"; the " << what << "s are "
            << choices(kind.names) << ".\n";
    }
    return component;
}

/// Applies "Name=text" settings as one batch; false (after reporting) for an unknown name or a
/// text that is not wholly a value of the parameter's type.
bool applySettings(Configurable& component, const char* what,
                   const std::vector<std::pair<std::string, std::string>>& settings,
                   std::ostream& err) {
    for (const auto& [parameter, text] : settings) {
        if (!component.hasParameter(parameter)) {
            err << "vestra-batch: the " << what << " \"" << component.name
                << "\" has no parameter \"" << parameter << "\"; its parameters are "
                << (component.parameterNames().empty() ? std::string("none")
                                                       : choices(component.parameterNames()))
                << ".\n";
            return false;
        }
        if (!component.acceptsParameterText(parameter, text)) {
            err << "vestra-batch: the " << what << " parameter \"" << parameter << "\" of \""
                << component.name << "\" needs " << component.expectedParameterForm(parameter)
                << ", got \"" << text << "\".\n";
            return false;
        }
        component.setParameter(parameter, text);
    }
    component.commitParameters();
    return true;
}

std::string formatScore(float score) {
    return NumberText::format("%.9g", static_cast<double>(score));
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
    BatchOptions options;
    std::string error;
    if (!parseBatchOptions(arguments, options, error)) {
        err << "vestra-batch: " << error << "\n" << batchUsage();
        return usageError;
    }
    ComponentRegistry registry;
    registerStandardComponents(registry);

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
    std::unique_ptr<Simulation> model;
    std::unique_ptr<Metric> metric;
    std::unique_ptr<Calibration> calibration;
    if (options.command == "evaluate" || options.command == "calibrate") {
        model = createByName(registry.simulations, "model", options.model, err);
        metric = createByName(registry.metrics, "metric", options.metric, err);
        if (options.command == "calibrate") {
            calibration = createByName(registry.calibrations, "algorithm", options.algorithm, err);
        }
        if (!model || !metric || (options.command == "calibrate" && !calibration)) {
            return usageError;
        }
        if (!applySettings(*model, "model", options.modelSettings, err) ||
            !applySettings(*metric, "metric", options.metricSettings, err) ||
            (calibration &&
             !applySettings(*calibration, "algorithm", options.algorithmSettings, err))) {
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

    if (options.command == "evaluate") {
        out << formatScore(evaluateModel(record, reference, *metric)) << "\n";
        return success;
    }

    const unsigned seed =
        options.hasSeed ? options.seed : static_cast<unsigned>(std::time(nullptr));
    if (!options.hasSeed) {
        err << "seed " << seed << "\n";
    }
    calibration->setSeed(seed);
    calibration->setConsole(out);
    CostTrace trace;
    const auto started = std::chrono::steady_clock::now();
    auto lastShown = started;
    calibration->onEvaluation = [&](float cost) {
        trace.add(cost);
        if (!showProgress) {
            return;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now - lastShown < std::chrono::milliseconds(200)) {
            return;
        }
        lastShown = now;
        const double elapsed = std::chrono::duration<double>(now - started).count();
        err << "\r  evaluations " << trace.size() << "  best " << trace.bestCost() << "  elapsed "
            << static_cast<int>(elapsed) << " s   " << std::flush;
    };
    const int jobs = options.jobs > 0
                         ? options.jobs
                         : std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    const bool completed = runCalibration(record, reference, *metric, *calibration, out, jobs,
                                          EvaluationPool::sameAs(registry, *model, *metric));
    if (showProgress) {
        err << "\n";
    }
    if (!completed) {
        err << "vestra-batch: " << calibration->failure << "\n";
        return unusableInput;
    }
    if (!options.saveParams.empty() && !record.saveParameters(options.saveParams)) {
        err << "vestra-batch: " << record.lastError() << "\n";
        return unusableInput;
    }
    if (!options.trace.empty() && !trace.write(options.trace, error)) {
        err << "vestra-batch: " << error << "\n";
        return unusableInput;
    }
    return success;
}
