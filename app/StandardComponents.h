#pragma once

#include "analysis/FundamentalDiagram.h"
#include "calibration/Bobyqa.h"
#include "calibration/CmaEs.h"
#include "calibration/GeneticAnnealing.h"
#include "calibration/GeneticGreedy.h"
#include "calibration/NelderMead.h"
#include "data/ParserANA.h"
#include "data/ParserCsv.h"
#include "data/ParserEth.h"
#include "data/ParserJuelich.h"
#include "data/ParserTrajnet.h"
#include "metrics/AverageDisplacementError.h"
#include "metrics/Difference.h"
#include "metrics/FinalDisplacementError.h"
#include "metrics/InterPedDist.h"
#include "metrics/PathLength.h"
#include "metrics/ProgressiveDifference.h"
#include "metrics/Vorticity.h"
#include "models/PedestrianV.h"
#include "models/SimulationBoids.h"
#include "models/SimulationConstantVelocity.h"
#include "models/SimulationGeneric.h"
#include "models/SimulationHelbing.h"
#include "models/SimulationRVO2.h"

/// Registers every component in its fixed position: the parsers, then the models, the metrics
/// and the calibration algorithms, each in the order in which their lists show them. Both the
/// desktop window and the headless registry are registrars, so the order lives in one place.
template <class Registrar>
void registerStandardComponents(Registrar& registrar) {
    registrar.template addParser<ParserANA>();
    // Juelich before eth: the first reader of an extension reads it unless a format is named.
    registrar.template addParser<ParserJuelich>();
    registrar.template addParser<ParserEth>();
    registrar.template addParser<ParserCsv>();
    registrar.template addParser<ParserTrajnet>();
    registrar.template addSimulation<SimulationBoids>();
    registrar.template addSimulation<SimulationHelbing>();
    registrar.template addSimulation<SimulationRVO2>();
    registrar.template addSimulation<SimulationGeneric<PedestrianV>>();
    registrar.template addSimulation<SimulationConstantVelocity>();
    registrar.template addMetric<Difference>();
    registrar.template addMetric<InterPedDist>();
    registrar.template addMetric<PathLength>();
    registrar.template addMetric<ProgressiveDifference>();
    registrar.template addMetric<Vorticity>();
    registrar.template addMetric<AverageDisplacementError>();
    registrar.template addMetric<FinalDisplacementError>();
    registrar.template addMetric<FundamentalDiagram>();
    registrar.template addCalibration<Greedy>();
    registrar.template addCalibration<SimulatedAnnealing>();
    registrar.template addCalibration<Genetic>();
    registrar.template addCalibration<GeneticGreedy>();
    registrar.template addCalibration<GeneticAnnealing>();
    registrar.template addCalibration<CmaEs>();
    registrar.template addCalibration<Bobyqa>();
    registrar.template addCalibration<NelderMead>();
}
