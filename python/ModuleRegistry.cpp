#include "python/ModuleRegistry.h"

#include "app/StandardComponents.h"
#include "calibration/ComponentRegistry.h"

const ComponentRegistry& moduleRegistry() {
    static const ComponentRegistry registry = [] {
        ComponentRegistry made;
        registerStandardComponents(made);
        return made;
    }();
    return registry;
}
