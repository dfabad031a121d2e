#include "data/ParameterFile.h"

#include <cstdio>
#include <vector>

#include "core/AtomicFile.h"
#include "core/NumberText.h"
#include "data/ConfigurationParser.h"

namespace {

std::string parameterKey(int k) {
    return "parameter_" + std::to_string(k);
}

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

bool finish(AtomicFile& out, std::string& error) {
    if (!out.finish()) {
        error = out.errorMessage();
        return false;
    }
    return true;
}

// The scope the file declares; false, with the error, for a scope it cannot have.
bool readScope(const ConfigurationParser& reader, const std::string& path, ParameterScope& scope,
               std::string& error) {
    scope = ParameterScope::pedestrian;
    if (!reader.has("scope")) {
        return true;  // files from before shared values were possible
    }
    const std::string declared = reader.words("scope");
    if (!ParameterScopeText::parse(declared, scope)) {
        error = quoted(path) + ": section \"%scope\" holds " + quoted(declared) +
                "; a parameter file's scope is \"pedestrian\" or \"shared\".";
        return false;
    }
    return true;
}

// Every section holds what a file of its scope needs for `columns` parameters.
bool checkSections(const ConfigurationParser& reader, const std::string& path, int columns,
                   ParameterScope scope, int pedestrians, std::string& error) {
    const bool shared = scope == ParameterScope::shared;
    const int needed = shared ? 1 : pedestrians;
    for (int k = 0; k < columns; ++k) {
        const std::string key = parameterKey(k);
        if (!reader.has(key)) {
            error = quoted(path) + " has no section \"%" + key + "\".";
            return false;
        }
        const int held = reader.count(key);
        if (held == needed) {
            continue;
        }
        if (shared) {
            error = quoted(path) + ": section \"%" + key + "\" holds " + std::to_string(held) +
                    " values, but a shared parameter file holds one value per parameter.";
        } else {
            error = quoted(path) + " holds one value per pedestrian of a recording of " +
                    std::to_string(held) + " pedestrians (section \"%" + key +
                    "\"), but this recording has " + std::to_string(pedestrians) +
                    ". One recording's pedestrians are not another's; a shared parameter file "
                    "(calibrate --scope shared) loads onto any recording.";
        }
        return false;
    }
    return true;
}

}  // namespace

namespace ParameterFile {

bool write(const ParameterTable& table, int pedestrians, AtomicFile& out, std::string& error) {
    if (std::FILE* f = out.stream()) {
        std::fputs("#--PARAMETERS--\n\n", f);
        for (int k = 0; k < table.columns(); ++k) {
            NumberText::print(f, "%%parameter_%d\n", k);
            for (int a = 0; a < pedestrians; ++a) {
                NumberText::print(f, "    %a\n", static_cast<double>(table.at(a, k)));
            }
        }
    }
    return finish(out, error);
}

bool writeShared(const std::vector<float>& values, const std::string& model, AtomicFile& out,
                 std::string& error) {
    if (std::FILE* f = out.stream()) {
        std::fputs("#--PARAMETERS--\n\n%scope\n    shared\n%model\n    ", f);
        std::fputs(model.c_str(), f);
        std::fputs("\n", f);
        for (std::size_t k = 0; k < values.size(); ++k) {
            NumberText::print(f, "%%parameter_%d\n", static_cast<int>(k));
            NumberText::print(f, "    %a\n", static_cast<double>(values[k]));
        }
    }
    return finish(out, error);
}

bool read(const std::string& path, ParameterTable table, int pedestrians, const std::string& model,
          std::string& error, ParameterScope* scopeRead) {
    ConfigurationParser reader;
    if (!reader.load(path)) {
        error = reader.errorMessage();
        return false;
    }
    ParameterScope scope = ParameterScope::pedestrian;
    if (!readScope(reader, path, scope, error)) {
        return false;
    }
    const bool shared = scope == ParameterScope::shared;
    if (shared && reader.words("model") != model) {
        error = reader.words("model").empty()
                    ? quoted(path) +
                          " holds shared values but names no model (section "
                          "\"%model\"), so they cannot be given to " +
                          quoted(model) + "."
                    : quoted(path) + " holds values shared by all pedestrians for the model " +
                          quoted(reader.words("model")) + ", not for " + quoted(model) + ".";
        return false;
    }
    if (!checkSections(reader, path, table.columns(), scope, pedestrians, error)) {
        return false;
    }
    const int rows = shared ? table.rows() : pedestrians;
    for (int k = 0; k < table.columns(); ++k) {
        const std::string key = parameterKey(k);
        for (int a = 0; a < rows; ++a) {
            table.at(a, k) = reader.value(key, shared ? 0 : a);
        }
    }
    if (scopeRead) {
        *scopeRead = scope;
    }
    return true;
}

}  // namespace ParameterFile
