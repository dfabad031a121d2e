#pragma once

#include <cstddef>
#include <string>
#include <vector>

/// Reads one experiment file format and hands the parsed data to an Experiment. A parser object
/// reads one file only: load it, construct the Experiment from it, delete it.
class Parser {
public:
    explicit Parser(std::string fileExtension) : extensionText(std::move(fileExtension)) {}
    virtual ~Parser() = default;
    Parser(const Parser&) = delete;
    Parser& operator=(const Parser&) = delete;

    /// Reads the file at `path` (UTF-8 bytes). Returns false, with errorMessage() saying why,
    /// when the file cannot be read or does not hold a complete experiment; an Experiment built
    /// from a parser whose load failed is empty.
    virtual bool load(const std::string& path) = 0;

    /// Hands the parsed data to an experiment. Each array that the format provides is replaced;
    /// the others are left untouched.
    virtual void fill(int& pedestrianCount, int& obstacleCount, int& frameCount,
                      std::vector<float>& posX, std::vector<float>& posY, std::vector<float>& velX,
                      std::vector<float>& velY, std::vector<float>& obstacleX1,
                      std::vector<float>& obstacleY1, std::vector<float>& obstacleX2,
                      std::vector<float>& obstacleY2, std::vector<float>& times, bool& timeDriven,
                      std::vector<int>& waypointCount,
                      std::vector<std::vector<float>>& waypointRadius,
                      std::vector<std::vector<float>>& waypointX,
                      std::vector<std::vector<float>>& waypointY) = 0;

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

    /// Why the last load failed; empty after a successful load.
    const std::string& errorMessage() const { return error; }

protected:
    std::string error;

private:
    std::string extensionText;
};
