#include "app/commands/ListCommand.h"

#include <ostream>
#include <string>
#include <vector>

#include "app/ExitStatus.h"
#include "app/StandardComponents.h"
#include "calibration/ComponentRegistry.h"

namespace {

template <class Create>
void listKind(std::ostream& out, const char* title, const std::vector<std::string>& names,
              const Create& create) {
    out << title << ":\n";
    for (size_t i = 0; i < names.size(); ++i) {
        out << "  " << names[i] << "\n";
        const auto component = create(static_cast<int>(i));
        for (const std::string& parameter : component->parameterNames()) {
            out << "    " << parameter << " (" << component->parameterType(parameter)
                << ") = " << component->getParameter(parameter) << "\n";
        }
    }
}

}  // namespace

int ListCommand::run() {
    ComponentRegistry registry;
    registerStandardComponents(registry);
    listKind(out, "Models", registry.simulations.names,
             [&](int i) { return registry.simulations.create(i); });
    listKind(out, "Metrics", registry.metrics.names,
             [&](int i) { return registry.metrics.create(i); });
    listKind(out, "Algorithms", registry.calibrations.names,
             [&](int i) { return registry.calibrations.create(i); });
    return ExitStatus::success;
}
