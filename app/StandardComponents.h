#pragma once

#include "data/ParserANA.h"

/// Registers every component in its fixed position: the parsers, then the models, the metrics
/// and the calibration algorithms, each in the order in which their lists show them. Both the
/// desktop window and the headless registry are registrars, so the order lives in one place.
template <class Registrar>
void registerStandardComponents(Registrar& registrar) {
    registrar.template addParser<ParserANA>();
}
