#pragma once

#include <memory>
#include <string>

class ComponentRegistry;
class Experiment;

/// Reads an experiment file with the registered parser for its file-name extension. Returns null,
/// with `error` saying why, when no parser reads that extension or the parser refuses the file.
std::unique_ptr<Experiment> loadExperimentFile(const ComponentRegistry& registry,
                                               const std::string& path, std::string& error);
