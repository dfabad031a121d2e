#include <cstddef>
#include <cstdint>

#include "FuzzRecording.h"
#include "data/ParserCsv.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzzRecording<ParserCsv>(data, size);
}
