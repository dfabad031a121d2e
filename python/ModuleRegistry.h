#pragma once

class ComponentRegistry;

/// The standard readers, models, metrics and algorithms, registered once for the module's
/// lifetime, in the batch tool's order. Read-only once made, so every thread may use it; the
/// factories of worker instances keep references to it for as long as the module is loaded.
const ComponentRegistry& moduleRegistry();
