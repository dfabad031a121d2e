#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct ExperimentData;
struct ReadingOptions;

/// Reads one experiment file format and hands the parsed data to an Experiment. A parser object
/// reads one file only: load it, construct the Experiment from it, delete it.
class Parser {
public:
    explicit Parser(std::string fileExtension) : extensionText(std::move(fileExtension)) {}
    virtual ~Parser() = default;
    Parser(const Parser&) = delete;
    Parser& operator=(const Parser&) = delete;

    /// How the next load maps the file's frames and lengths onto the experiment. A format whose
    /// files state their own times and lengths ignores it.
    virtual void setReadingOptions(const ReadingOptions& /*options*/) {}

    /// Reads the file at `path` (UTF-8 bytes). Returns false, with errorMessage() saying why,
    /// when the file cannot be read or does not hold a complete experiment; an Experiment built
    /// from a parser whose load failed is empty.
    virtual bool load(const std::string& path) = 0;

    /// Hands the parsed data to an experiment. Each field that the format provides is replaced;
    /// the others are left untouched.
    virtual void fill(ExperimentData& data) = 0;

    /// Hands over when each pedestrian is present and where its samples start (see
    /// Experiment::sampleIndex). A format that has every pedestrian on every frame leaves the
    /// lists empty, and the experiment fills them in for the plain table layout.
    virtual void fillPresence(std::vector<int>& /*presentFirst*/, std::vector<int>& /*presentLast*/,
                              std::vector<std::ptrdiff_t>& /*sampleBase*/) {}

    /// Hands over the measured velocities in the form the file holds them, a direction
    /// (radians) and a speed per sample, parallel to velX/velY; a format without that form
    /// leaves them empty. Writing an ANA file needs them to give back the velocities exactly.
    virtual void fillDirections(std::vector<float>& /*directions*/,
                                std::vector<float>& /*speeds*/) {}

    /// File-name extension read by this parser, without the dot.
    std::string extension() const { return extensionText; }
    /// Name by which a user chooses this parser whatever the file's extension (lower case).
    virtual std::string formatName() const { return extensionText; }

    /// Metres per length unit of the file that the last load applied to the positions; 1 when
    /// lengths are handed over as the file writes them. Other lengths of the same scene (an
    /// obstacle file) are converted with it.
    virtual double appliedMetresPerUnit() const { return 1.0; }

    /// Why the last load failed; empty after a successful load.
    const std::string& errorMessage() const { return error; }
    /// Remarks of the last load that did not stop it (rows left out, an unlikely unit).
    const std::vector<std::string>& notes() const { return remarks; }

protected:
    std::string error;
    std::vector<std::string> remarks;

private:
    std::string extensionText;
};
