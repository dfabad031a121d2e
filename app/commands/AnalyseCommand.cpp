#include "app/commands/AnalyseCommand.h"

#include <memory>
#include <ostream>
#include <vector>

#include "analysis/AnalysisTables.h"
#include "analysis/CrowdFrames.h"
#include "app/ExitStatus.h"
#include "app/StagedFolder.h"
#include "app/commands/ExperimentInput.h"
#include "app/commands/ExperimentSource.h"
#include "app/commands/PreparedRun.h"
#include "core/AtomicFile.h"
#include "core/NumberText.h"
#include "core/Random.h"
#include "data/Experiment.h"

namespace {

const char* const densitySpeedFile = "density_speed.csv";
const char* const crossingsFile = "crossings.csv";
const char* const summaryFile = "summary.txt";

}  // namespace

const std::vector<std::string>& AnalyseCommand::resultNames() {
    static const std::vector<std::string> names = {densitySpeedFile,   crossingsFile,
                                                   summaryFile,        "fundamental_diagram.png",
                                                   "density_time.png", "nt.png"};
    return names;
}

std::optional<AnalysisSetup> AnalyseCommand::setupOf(const AnalyseRequest& request) const {
    std::string error;
    const std::optional<MeasurementArea> area = MeasurementArea::fromText(request.area, error);
    if (!area) {
        err << "vestra-batch: --area: " << error << ".\n";
        return std::nullopt;
    }
    AnalysisSetup setup{*area, std::nullopt, DensitySpeedSettings()};
    if (!request.line.empty()) {
        setup.line = MeasurementLine::fromText(request.line, error);
        if (!setup.line) {
            err << "vestra-batch: --line: " << error << ".\n";
            return std::nullopt;
        }
    }
    if (!request.walkable.empty()) {
        setup.settings.walkable = MeasurementArea::fromText(request.walkable, error);
        if (!setup.settings.walkable) {
            err << "vestra-batch: --walkable: " << error << ".\n";
            return std::nullopt;
        }
        if (!setup.settings.walkable->covers(*area)) {
            err << "vestra-batch: the measurement area " << area->text()
                << " does not lie inside the walkable area " << setup.settings.walkable->text()
                << ".\n";
            return std::nullopt;
        }
    }
    setup.settings.speedFrames = request.speedFrames;
    setup.settings.voronoi.cutoffRadius = request.cutoff;
    setup.settings.voronoi.cutoffSides = request.cutoffSides;
    if (!VoronoiCells::checkSettings(setup.settings.voronoi, error)) {
        err << "vestra-batch: " << error << ".\n";
        return std::nullopt;
    }
    return setup;
}

std::vector<std::string> AnalyseCommand::about(const CalibrateRequest& recording,
                                               const AnalyseRequest& request,
                                               const AnalysisSetup& setup) const {
    std::vector<std::string> lines = {"crowd analysis by Vestra of " + recording.experiment.file};
    if (!recording.model.empty()) {
        lines.push_back("simulated by the model " + recording.model +
                        (recording.loadParams.empty()
                             ? std::string(", every pedestrian at its defaults")
                             : ", agent parameter values from " + recording.loadParams));
    }
    lines.push_back(NumberText::format("measurement area %s (%.6g m^2)", setup.area.text().c_str(),
                                       setup.area.area()));
    if (setup.line) {
        lines.push_back("line " + request.line +
                        " (left and right looking from its first point to its second)");
    }
    lines.push_back("walkable area " + setup.settings.walkable->text() +
                    (request.walkable.empty() ? " (every sample's box grown by 1 m)" : ""));
    lines.push_back(NumberText::format("individual speeds over %d frames on each side",
                                       setup.settings.speedFrames));
    lines.push_back(request.cutoff > 0.0
                        ? NumberText::format("Voronoi cells limited to %g m (a %d-sided polygon)",
                                             request.cutoff, request.cutoffSides)
                        : std::string("Voronoi cells not limited"));
    lines.push_back("units: densities 1/m^2, speeds m/s, specific flow 1/(m s), flow 1/s");
    return lines;
}

std::optional<CrowdAnalysis> AnalyseCommand::measure(const char* name, const CrowdFrames& crowd,
                                                     const AnalysisSetup& setup) const {
    std::string error;
    std::optional<CrowdAnalysis> analysis = CrowdAnalysis::measure(crowd, setup, error);
    if (!analysis) {
        err << "vestra-batch: the " << name << " crowd: " << error << ".\n";
    }
    return analysis;
}

int AnalyseCommand::run(const CalibrateRequest& recording, const AnalyseRequest& request) {
    std::optional<AnalysisSetup> setup = setupOf(request);
    if (!setup) {
        return ExitStatus::usage;
    }
    std::string error;
    // Checked before the recording is read and the model run, so that no run is lost to it.
    if (!StagedFolder(request.folder, resultNames()).open(error)) {
        err << "vestra-batch: " << error << ".\n";
        return ExitStatus::usage;
    }
    // With a model the record is built and run as evaluate builds it; its metric scores nothing.
    CalibrateRequest run = recording;
    run.metric = "Difference";
    PreparedRun prepared(err);
    std::unique_ptr<Experiment> readAlone;
    const Experiment* experiment = nullptr;
    if (!run.model.empty()) {
        if (const int status = prepared.prepare(static_cast<const EvaluateRequest&>(run));
            status != ExitStatus::success) {
            return status;
        }
        if (run.seed) {
            Random::seed(*run.seed);
        }
        prepared.record().reset();
        prepared.record().run();
        experiment = prepared.record().boundExperiment();
    } else {
        const ExperimentInput input(err);
        if (!input.checkFormat(run.experiment.reading)) {
            return ExitStatus::usage;
        }
        std::vector<std::string> notes;
        readAlone = input.read(run.experiment, notes);
        if (!readAlone) {
            return ExitStatus::failed;
        }
        input.reportNotes(notes);
        experiment = readAlone.get();
    }

    const CrowdFrames measuredCrowd = CrowdFrames::measured(*experiment);
    std::optional<CrowdFrames> simulatedCrowd;
    if (!run.model.empty()) {
        simulatedCrowd = CrowdFrames::simulated(*prepared.record().boundSimulation(), *experiment);
    }
    if (measuredCrowd.empty()) {
        err << "vestra-batch: nobody is present on any frame of " << run.experiment.file << ".\n";
        return ExitStatus::failed;
    }
    if (!setup->settings.walkable) {
        setup->settings.walkable = DensitySpeed::walkableFor(measuredCrowd, setup->settings, error);
        if (!setup->settings.walkable || !setup->settings.walkable->covers(setup->area)) {
            err << "vestra-batch: the measurement area " << setup->area.text()
                << " does not lie inside the walkable area "
                << (setup->settings.walkable ? setup->settings.walkable->text() : error)
                << " (every sample's box grown by 1 m); give a smaller area or --walkable.\n";
            return ExitStatus::failed;
        }
    }
    const std::optional<CrowdAnalysis> measured = measure("measured", measuredCrowd, *setup);
    if (!measured) {
        return ExitStatus::failed;
    }
    std::optional<CrowdAnalysis> simulated;
    if (simulatedCrowd) {
        AnalysisSetup simulatedSetup = *setup;
        simulatedSetup.settings.needsSomebodyInside = false;
        simulated = measure("simulated", *simulatedCrowd, simulatedSetup);
        if (!simulated) {
            return ExitStatus::failed;
        }
    }
    return write(request, about(run, request, *setup), *measured,
                 simulated ? &*simulated : nullptr);
}

int AnalyseCommand::write(const AnalyseRequest& request, const std::vector<std::string>& about,
                          const CrowdAnalysis& measured, const CrowdAnalysis* simulated) {
    StagedFolder folder(request.folder, resultNames());
    std::string error;
    if (!folder.open(error)) {
        err << "vestra-batch: " << error << ".\n";
        return ExitStatus::failed;
    }
    const std::string summary = AnalysisTables::summary(about, measured, simulated);
    std::vector<std::pair<std::string, std::string>> tables = {
        {densitySpeedFile, AnalysisTables::densitySpeed(measured, simulated)},
        {summaryFile, summary}};
    if (measured.crossings()) {
        tables.emplace_back(crossingsFile, AnalysisTables::crossings(measured, simulated));
    }
    for (const auto& [name, text] : tables) {
        AtomicFile file(folder.file(name));
        if (!file.finishWith(text) || !file.commit()) {
            err << "vestra-batch: " << file.errorMessage() << "\n";
            return ExitStatus::failed;
        }
    }
    if (!pictures) {
        err << "vestra-batch: this build draws no pictures (it was built without the desktop "
               "program's charts); the tables are written.\n";
    } else if (!pictures(measured, simulated, folder.file(""), error)) {
        err << "vestra-batch: " << error << "\n";
        return ExitStatus::failed;
    }
    if (!folder.commit(error)) {
        err << "vestra-batch: " << error << ".\n";
        return ExitStatus::failed;
    }
    out << summary;
    return ExitStatus::success;
}
