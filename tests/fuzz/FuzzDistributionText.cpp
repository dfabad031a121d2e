#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "core/Random.h"
#include "models/Simulation.h"

// The text form of a distribution is a fixed point: whatever a text parses to, its printed form
// parses back to a distribution that prints the same. Draws of a parsed distribution stay in
// its range.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Simulation::Type_pdf type;
    PDF pdf(0.25f, 0.75f, PDF::NORMAL, 0.5f, 0.125f);
    type.parse(std::string(reinterpret_cast<const char*>(data), size), &pdf);
    FUZZ_CHECK(pdf.kind == PDF::UNIFORM || pdf.kind == PDF::NORMAL);
    FUZZ_CHECK(pdf.levels == PDF::defaultLevels);
    const std::string first = type.format(&pdf);
    PDF again;
    type.parse(first, &again);
    FUZZ_CHECK(type.format(&again) == first);
    FUZZ_CHECK(again.kind == pdf.kind);

    Random::seed(static_cast<unsigned>(size));
    for (int i = 0; i < 4; ++i) {
        const float value = pdf.sample();
        if (pdf.min <= pdf.max && std::isfinite(pdf.min) && std::isfinite(pdf.max)) {
            FUZZ_CHECK(value >= pdf.min && value <= pdf.max);
        }
    }
    return 0;
}
