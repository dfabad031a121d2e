#pragma once

#include <functional>
#include <memory>
#include <string>

class ParameterValues;

/// The agent parameter values a run starts from: the model's defaults, a parameter file, or
/// values held in memory (a calibration's result).
class ParameterChoice {
public:
    /// The model's defaults.
    ParameterChoice() = default;
    static ParameterChoice file(std::string path);
    static ParameterChoice held(std::shared_ptr<const ParameterValues> values);

    bool isDefault() const { return path.empty() && !values; }
    /// What decides the values, the same for two choices that load the same values: the text
    /// held, or the file's path with its device, inode, size and time of change, so that a file
    /// written again since is loaded again.
    std::string identity() const;
    /// How file comments and messages name the values: the file's path, or the label of the
    /// values held; empty for the defaults.
    std::string label() const;
    /// Calls `load` with the path of a file that holds the values (empty for the defaults).
    /// Throws Refusal with the message `load` gave when it fails, a file refusal when the named
    /// file cannot be read; values held in memory are named by their label in it.
    void loadWith(
        const std::function<bool(const std::string& path, std::string& error)>& load) const;

private:
    std::string path;
    std::shared_ptr<const ParameterValues> values;
};
