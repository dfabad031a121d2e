#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "core/Configurable.h"

namespace {

struct EveryType : Configurable {
    EveryType() {
        addParameter("int", std::make_unique<Type_int>(), &number);
        addParameter("float", std::make_unique<Type_float>(), &real);
        addParameter("bool", std::make_unique<Type_bool>(), &flag);
        addParameter("string", std::make_unique<Type_string>(), &text);
    }
    int number = 0;
    float real = 0.0f;
    bool flag = false;
    std::string text;
};

}  // namespace

// Every parameter type reads any text; the printed value reads back to itself; a string keeps
// the text verbatim; names that were never declared are refused without harm.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    EveryType component;
    for (const std::string& name : component.parameterNames()) {
        FUZZ_CHECK(component.setParameter(name, input));
        const std::string shown = component.getParameter(name);
        FUZZ_CHECK(component.setParameter(name, shown));
        FUZZ_CHECK(component.getParameter(name) == shown);
    }
    FUZZ_CHECK(component.text == input);
    FUZZ_CHECK(component.getParameter("bool") == "true" ||
               component.getParameter("bool") == "false");
    component.commitParameters();
    FUZZ_CHECK(!component.setParameter(input + "?", input));
    FUZZ_CHECK(component.getParameter(input + "?").empty());
    FUZZ_CHECK(!component.isParameterSet(input + "?"));
    FUZZ_CHECK(!component.addParameter("int", std::make_unique<Configurable::Type_int>(),
                                       &component.number));
    return 0;
}
