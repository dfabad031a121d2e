#include "python/LoadedExperiment.h"

#include <algorithm>
#include <cctype>

#include "app/commands/SimulateCommand.h"
#include "calibration/ComponentRegistry.h"
#include "core/AtomicFile.h"
#include "data/AnaWriter.h"
#include "data/Experiment.h"
#include "data/ExperimentLoader.h"
#include "data/ReadingOptions.h"
#include "data/TrackFile.h"
#include "python/ModuleRegistry.h"
#include "python/Refusal.h"
#include "run/TrackExport.h"

namespace {

bool endsWithAna(const std::string& path) {
    const std::string suffix = ".ana";
    return path.size() > suffix.size() &&
           std::equal(suffix.begin(), suffix.end(), path.end() - suffix.size(), [](char a, char b) {
               return a == std::tolower(static_cast<unsigned char>(b));
           });
}

}  // namespace

LoadedExperiment::LoadedExperiment(std::shared_ptr<const Experiment> experiment, std::string source,
                                   std::vector<std::string> notes, std::vector<std::string> about)
    : measured(std::move(experiment)),
      origin(std::move(source)),
      remarks(std::move(notes)),
      provenance(std::move(about)) {}

std::shared_ptr<LoadedExperiment> LoadedExperiment::read(const std::string& path,
                                                         const ReadingOptions& reading) {
    std::string error;
    // A format no reader has is refused before the file is looked at, as the batch tool does.
    if (!reading.format.empty() && !checkFormat(moduleRegistry(), reading.format, error)) {
        throw Refusal(error);
    }
    std::vector<std::string> notes;
    std::unique_ptr<Experiment> experiment =
        loadExperimentFile(moduleRegistry(), path, reading, error, &notes);
    if (!experiment) {
        Refusal refusal = Refusal::aboutReading(path, error);
        if (!refusal.isFile() && !reading.obstacles.empty()) {
            refusal = Refusal::aboutReading(reading.obstacles, error);
        }
        throw refusal;
    }
    SimulateCommand::Request measured;
    measured.run.experiment.file = path;
    measured.measured = true;
    return std::make_shared<LoadedExperiment>(std::move(experiment), path, std::move(notes),
                                              SimulateCommand::about(measured, nullptr));
}

void LoadedExperiment::write(const std::string& path, const std::string& format) const {
    const bool ana = format.empty() ? endsWithAna(path) : format == "ana";
    TrackFile::Format layout = TrackFile::Format::text;
    if (!ana && !(format.empty() ? TrackFile::formatOf(path, layout)
                                 : TrackFile::formatNamed(format, layout))) {
        const std::string formats = "the formats are ana, txt, csv and ndjson.";
        throw Refusal(format.empty() ? "Cannot write \"" + path +
                                           "\": its extension names no "
                                           "format; " +
                                           formats
                                     : "Unknown format \"" + format + "\": " + formats);
    }
    std::string error;
    if (!AtomicFile::canWrite(path, error)) {
        throw Refusal::ofFile(error, 0);
    }
    bool written = false;
    if (ana) {
        written = writeAna(*measured, path, error);
    } else {
        TrackSet tracks = TrackExport::measured(*measured);
        tracks.about = provenance;
        written = TrackFile::write(tracks, layout, path, error);
    }
    if (!written) {
        throw Refusal::ofFile(error, 0);
    }
}
