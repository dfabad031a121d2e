#pragma once

#include <memory>
#include <string>
#include <vector>

#include "python/KeptEvaluations.h"

class Experiment;
struct ReadingOptions;

/// An experiment as the module hands it to Python: read from a file, or simulated, never changed
/// after, and shared with every run that uses it (runs on worker threads included), with what
/// reading it remarked and where its trajectories come from.
class LoadedExperiment {
public:
    LoadedExperiment(std::shared_ptr<const Experiment> experiment, std::string source,
                     std::vector<std::string> notes, std::vector<std::string> about);

    /// Reads `path` as the batch tool reads it with these reading options; throws Refusal, a
    /// file refusal when the recording or the obstacle file cannot be read.
    static std::shared_ptr<LoadedExperiment> read(const std::string& path,
                                                  const ReadingOptions& reading);

    const Experiment& experiment() const { return *measured; }
    const std::shared_ptr<const Experiment>& shared() const { return measured; }
    /// The file it was read from, or the one a simulated crowd was simulated over.
    const std::string& source() const { return origin; }
    /// What reading remarked (gaps filled, rows left out), as `info` lists them.
    const std::vector<std::string>& notes() const { return remarks; }
    /// Where the trajectories come from, as the comments of a written trajectory file say it.
    const std::vector<std::string>& about() const { return provenance; }

    /// Writes the trajectories to `path`: as an ANA file, or in a layout that `simulate` writes
    /// (txt, csv, ndjson), named by `format` or else by the extension. Throws Refusal for another
    /// format, a file refusal when the file cannot be written.
    void write(const std::string& path, const std::string& format) const;

    /// The evaluations kept over this experiment.
    KeptEvaluations& evaluations() { return kept; }

private:
    std::shared_ptr<const Experiment> measured;
    std::string origin;
    std::vector<std::string> remarks;
    std::vector<std::string> provenance;
    KeptEvaluations kept;
};
