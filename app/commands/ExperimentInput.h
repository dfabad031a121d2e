#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "calibration/ComponentRegistry.h"

class Experiment;
struct ExperimentSource;
struct ReadingOptions;

/// The first steps of every command that reads an experiment file, in the order they run: the
/// format name checked against the registry, the output paths checked, then the file read. Each
/// step says on standard error why it refused.
class ExperimentInput {
public:
    /// A registry of the standard components; messages go to `err`.
    explicit ExperimentInput(std::ostream& err);

    /// False, after a usage error that ends with the usage, when a format is named that no
    /// reader has.
    bool checkFormat(const ReadingOptions& reading) const;
    /// False, after naming it, when an output path cannot be written; empty paths are no outputs.
    /// Checked before the file is read, so that hours of calibration are never lost to a folder
    /// that does not exist.
    bool checkOutputs(const std::vector<std::string>& paths) const;
    /// The experiment, or null after saying why; what reading remarked goes to `notes`.
    std::unique_ptr<Experiment> read(const ExperimentSource& source,
                                     std::vector<std::string>& notes) const;
    /// Writes the notes on standard error, for commands whose output does not describe the file.
    void reportNotes(const std::vector<std::string>& notes) const;

    /// The registry the components are created from.
    const ComponentRegistry& registry() const { return standard; }

private:
    std::ostream& err;
    ComponentRegistry standard;  ///< the standard components, in their fixed order
};
