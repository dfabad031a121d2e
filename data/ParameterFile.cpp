#include "data/ParameterFile.h"

#include <cstdio>

#include "core/AtomicFile.h"
#include "core/NumberText.h"
#include "data/ConfigurationParser.h"

namespace {

std::string parameterKey(int k) {
    return "parameter_" + std::to_string(k);
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
    if (!out.finish()) {
        error = out.errorMessage();
        return false;
    }
    return true;
}

bool read(const std::string& path, ParameterTable table, int pedestrians, std::string& error) {
    ConfigurationParser reader;
    if (!reader.load(path)) {
        error = reader.errorMessage();
        return false;
    }
    for (int k = 0; k < table.columns(); ++k) {
        const std::string key = parameterKey(k);
        if (!reader.has(key)) {
            error = "\"" + path + "\" has no section \"%" + key + "\".";
            return false;
        }
        if (reader.count(key) < pedestrians) {
            error = "\"" + path + "\": section \"%" + key + "\" holds " +
                    std::to_string(reader.count(key)) + " values, but " +
                    std::to_string(pedestrians) + " pedestrians need one each.";
            return false;
        }
    }
    for (int k = 0; k < table.columns(); ++k) {
        const std::string key = parameterKey(k);
        for (int a = 0; a < pedestrians; ++a) {
            table.at(a, k) = reader.value(key, a);
        }
    }
    return true;
}

}  // namespace ParameterFile
