#include "python/CalibrationJob.h"

#include <chrono>
#include <new>

#include "app/BatchComponents.h"
#include "app/commands/PreparedRun.h"
#include "calibration/Calibration.h"
#include "calibration/CalibrationRun.h"
#include "calibration/EvaluationPool.h"
#include "core/Random.h"
#include "core/UsableCores.h"
#include "data/Experiment.h"
#include "python/ModuleRegistry.h"
#include "python/ParameterValues.h"

CalibrationJob::CalibrationJob(std::vector<std::shared_ptr<const Experiment>> experiments,
                               std::vector<std::string> files, CalibrateRequest request,
                               ParameterChoice parameters)
    : experiments(std::move(experiments)),
      files(std::move(files)),
      request(std::move(request)),
      parameters(std::move(parameters)),
      worker([this] { work(); }) {}

CalibrationJob::~CalibrationJob() {
    cancel();
    join();
}

bool CalibrationJob::wait(double seconds) {
    std::unique_lock<std::mutex> guard(lock);
    return endedChanged.wait_for(guard, std::chrono::duration<double>(seconds),
                                 [this] { return ended; });
}

void CalibrationJob::join() {
    if (worker.joinable()) {
        worker.join();
    }
}

void CalibrationJob::cancel() {
    const std::lock_guard<std::mutex> guard(lock);
    cancelWanted = true;
    if (running) {
        running->requestCancel();
    }
}

const CalibrationJob::Outcome& CalibrationJob::outcome() {
    join();
    if (refusal) {
        throw *refusal;
    }
    return found;
}

void CalibrationJob::work() {
    try {
        calibrate();
    } catch (const Refusal& refused) {
        refusal = refused;
    } catch (const std::bad_alloc&) {
        refusal = Refusal("The calibration ran out of memory and was stopped.");
    } catch (const std::exception& failure) {
        // Anything that left the thread would end the interpreter.
        refusal = Refusal(failure.what());
    }
    const std::lock_guard<std::mutex> guard(lock);
    ended = true;
    endedChanged.notify_all();
}

void CalibrationJob::calibrate() {
    BatchComponents components;
    std::vector<std::string> problems;
    if (!components.create(moduleRegistry(), request, problems)) {
        throw Refusal::ofProblems(problems);
    }
    std::vector<std::unique_ptr<PreparedRun::Recording>> recordings;
    for (std::size_t r = 0; r < experiments.size(); ++r) {
        recordings.push_back(std::make_unique<PreparedRun::Recording>());
        recordings.back()->file = files[r];
        recordings.back()->experiment = experiments[r];
    }
    const EvaluationPool::Factory instances =
        EvaluationPool::sameAs(moduleRegistry(), *components.model, *components.metric);
    // The worker is a new thread, so its generator starts where a batch process's does; every
    // draw from here on follows the batch tool's order.
    Random::seed(1);
    parameters.loadWith([&](const std::string& path, std::string& error) {
        return PreparedRun::buildRecords(recordings, *components.model, instances, path, error);
    });
    Calibration& calibration = *components.calibration;
    calibration.scope = request.scope;
    calibration.setSeed(*request.seed);
    calibration.setConsole(console);
    progress.attach(calibration);
    {
        const std::lock_guard<std::mutex> guard(lock);
        running = &calibration;
        if (cancelWanted) {
            calibration.requestCancel();
        }
    }
    // Gone before the algorithm is, however this function ends, so that a cancel never reaches
    // a destroyed one.
    struct Unregister {
        CalibrationJob& job;
        ~Unregister() {
            const std::lock_guard<std::mutex> guard(job.lock);
            job.running = nullptr;
        }
    } unregister{*this};
    std::vector<CalibratedRecording> calibrated;
    for (const auto& recording : recordings) {
        calibrated.push_back({&recording->record, &recording->reference});
    }
    const int threads = request.jobs > 0 ? request.jobs : usableCores();
    const bool completed =
        runCalibration(calibrated, *components.metric, calibration, console, threads, instances);
    if (!completed) {
        throw Refusal(calibration.failure);
    }
    found.report = console.str();
    found.bestCost = calibration.cost;
    found.evaluations = calibration.evaluationCount();
    found.trace = progress.rowsFrom(0);
    found.initialCost = found.trace.empty() ? calibration.cost : found.trace.front().first;
    found.cancelled = calibration.cancelled();
    found.startScores = calibration.startScores();
    found.bestScores = calibration.bestScores();
    found.parameters =
        ParameterValues::of(recordings.front()->record, request.scope,
                            "the calibration of " + request.model + " by " + request.algorithm +
                                " (seed " + std::to_string(*request.seed) + ")");
}
