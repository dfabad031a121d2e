#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "data/ConfigurationParser.h"
#include "data/Experiment.h"
#include "data/ParserANA.h"
#include "models/PedestrianV.h"
#include "models/SimulationGeneric.h"
#include "run/Record.h"
#include "tests/support/RecordSetUp.h"

namespace {

// Three pedestrians of the Vision model (four parameters each), prepared once.
struct PreparedRecord {
    PreparedRecord() {
        ParserANA parser;
        parser.loadText(
            "nped 3 nrow 2 time(s) 0 0.1\n"
            "center_1 0 0 0.1 0 ori_center_1 0 0 spd_center_1 1 1\n"
            "center_2 5 0 4.9 0 ori_center_2 3.14 3.14 spd_center_2 1 1\n"
            "center_3 0 5 0 4.9 ori_center_3 -1.57 -1.57 spd_center_3 1 1\n");
        experiment = new Experiment(parser);
        bindAndPrepare(record, experiment, &model);
        path = "/tmp/vestra-fuzz-parameters-" + std::to_string(getpid()) + ".prm";
    }
    Experiment* experiment;
    SimulationGeneric<PedestrianV> model;
    Record record;
    std::string path;
};

}  // namespace

// A parameter file either loads completely (every section and value present) or is refused and
// leaves the matrix bit for bit as it was.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static PreparedRecord prepared;
    Record& record = prepared.record;
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (std::FILE* file = std::fopen(prepared.path.c_str(), "wb")) {
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }
    const std::vector<float> before(record.parameterMatrix,
                                    record.parameterMatrix + 3 * record.parameterCount);
    const bool loaded = record.loadParameters(prepared.path);

    ConfigurationParser oracle;
    oracle.loadText(text);
    bool complete = true;
    for (int k = 0; k < record.parameterCount; ++k) {
        complete = complete && oracle.count("parameter_" + std::to_string(k)) >= 3;
    }
    FUZZ_CHECK(loaded == complete);
    if (!loaded) {
        FUZZ_CHECK(
            std::memcmp(before.data(), record.parameterMatrix, before.size() * sizeof(float)) == 0);
        FUZZ_CHECK(!record.lastError().empty());
    }
    // Back to the defaults for the next input.
    std::copy(prepared.model.parameterDefaults().begin(), prepared.model.parameterDefaults().end(),
              record.parameterMatrix);
    for (int row = 1; row < 3; ++row) {
        std::copy(record.parameterMatrix, record.parameterMatrix + record.parameterCount,
                  record.parameterMatrix + row * record.parameterCount);
    }
    return 0;
}
