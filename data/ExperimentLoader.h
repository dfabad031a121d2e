#pragma once

#include <memory>
#include <string>
#include <vector>

class Experiment;
class ParserRegistry;
struct ReadingOptions;

/// True when a registered parser has the format name `format`; otherwise false, with `error`
/// listing the format names.
bool checkFormat(const ParserRegistry& registry, const std::string& format, std::string& error);

/// Reads an experiment file with the registered parser for its file-name extension. Returns null,
/// with `error` saying why, when no parser reads that extension or the parser refuses the file.
std::unique_ptr<Experiment> loadExperimentFile(const ParserRegistry& registry,
                                               const std::string& path, std::string& error);

/// Reads an experiment file as `options` say: with the parser of options.format when it is
/// given, else with the first registered parser of the file's extension; then appends the
/// segments of options.obstacles, converted with the recording's length unit. Returns null,
/// with `error` saying why, when no parser fits or a file is refused; remarks that did not stop
/// the reading (rows left out, gaps filled, an unlikely unit) go to `notes` when given.
std::unique_ptr<Experiment> loadExperimentFile(const ParserRegistry& registry,
                                               const std::string& path,
                                               const ReadingOptions& options, std::string& error,
                                               std::vector<std::string>* notes = nullptr);
