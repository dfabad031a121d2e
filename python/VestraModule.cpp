// The extension module `vestra._vestra`: the library and the batch tool's requests, bound for
// the package `vestra`, whose Python layer turns keywords into the option texts read here.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cmath>
#include <optional>

#include "app/commands/CalibrateRequest.h"
#include "calibration/Calibration.h"
#include "calibration/ComponentRegistry.h"
#include "core/Configurable.h"
#include "data/Experiment.h"
#include "metrics/Metric.h"
#include "models/Simulation.h"
#include "python/CalibrationJob.h"
#include "python/ExperimentArrays.h"
#include "python/LoadedExperiment.h"
#include "python/ModuleOptions.h"
#include "python/ModuleRegistry.h"
#include "python/ParameterValues.h"
#include "python/PreparedEvaluation.h"
#include "python/Refusal.h"
#include "python/SimulatedCrowd.h"

namespace py = pybind11;

namespace {

using Experiments = std::vector<std::shared_ptr<LoadedExperiment>>;
using HeldValues = std::shared_ptr<ParameterValues>;

/// A path given as text or as any path-like object.
std::string pathText(const py::object& path) {
    return py::module_::import("os").attr("fspath")(path).cast<std::string>();
}

void raiseInPython(const Refusal& refusal) {
    if (!refusal.isFile()) {
        PyErr_SetString(PyExc_ValueError, refusal.what());
    } else if (refusal.errorNumber() != 0) {
        // OSError(errno, text) becomes FileNotFoundError, IsADirectoryError, ... by the number.
        PyErr_SetObject(PyExc_OSError, py::make_tuple(refusal.errorNumber(), refusal.what()).ptr());
    } else {
        PyErr_SetString(PyExc_OSError, refusal.what());
    }
}

/// Each component of a kind with its parameters as `vestra-batch list` shows them.
template <class Base>
py::dict listed(const ComponentRegistry::Kind<Base>& kind) {
    py::dict components;
    for (const std::string& name : kind.names) {
        const std::unique_ptr<Base> component = kind.create(name);
        py::list parameters;
        for (const std::string& parameter : component->parameterNames()) {
            py::dict entry;
            entry["name"] = parameter;
            entry["type"] = component->parameterType(parameter);
            entry["default"] = component->getParameter(parameter);
            parameters.append(entry);
        }
        components[py::str(name)] = parameters;
    }
    return components;
}

ParameterChoice choiceOf(const std::string& file, const HeldValues& held) {
    return held           ? ParameterChoice::held(held)
           : file.empty() ? ParameterChoice()
                          : ParameterChoice::file(file);
}

py::object dataFrame(const LoadedExperiment& experiment) {
    py::object pandas;
    try {
        pandas = py::module_::import("pandas");
    } catch (py::error_already_set& missing) {
        if (!missing.matches(PyExc_ImportError)) {
            throw;
        }
        py::raise_from(missing, PyExc_ImportError,
                       "Experiment.to_dataframe needs pandas (Debian: python3-pandas)");
        throw py::error_already_set();
    }
    return pandas.attr("DataFrame")(ExperimentArrays::columns(experiment.experiment()));
}

std::string describe(const LoadedExperiment& loaded) {
    const Experiment& experiment = loaded.experiment();
    return "<vestra.Experiment of \"" + loaded.source() +
           "\": " + std::to_string(experiment.pedestrianCount) + " pedestrians, " +
           std::to_string(experiment.frameCount) + " frames>";
}

/// The first frame step (s), as a run steps; not a number for a single frame.
double frameStep(const Experiment& experiment) {
    return experiment.frameCount > 1 ? double{experiment.times[1] - experiment.times[0]}
                                     : std::nan("");
}

py::tuple evaluate(LoadedExperiment& experiment, const std::string& model,
                   const std::string& metric, const ParameterSettings& modelSettings,
                   const ParameterSettings& metricSettings, const std::string& paramsFile,
                   const HeldValues& held, const std::vector<ModuleOptions::Given>& options) {
    CommandLine line = ModuleOptions::commandLine(Command::evaluate, options);
    EvaluateRequest& request = line.run;
    request.model = model;
    request.metric = metric;
    request.modelSettings = modelSettings;
    request.metricSettings = metricSettings;
    const ParameterChoice parameters = choiceOf(paramsFile, held);
    // Taken out and put back with the interpreter's lock held; run without it.
    std::unique_ptr<PreparedEvaluation> prepared =
        experiment.evaluations().take(PreparedEvaluation::keyOf(request, parameters));
    float score = 0.0f;
    std::string problem;
    {
        const py::gil_scoped_release released;
        if (!prepared) {
            prepared =
                std::make_unique<PreparedEvaluation>(experiment.shared(), request, parameters);
        }
        score = prepared->evaluate();
        if (!std::isfinite(score)) {
            problem = prepared->whyNotFinite();
        }
    }
    experiment.evaluations().keep(std::move(prepared));
    return py::make_tuple(score, problem);
}

std::shared_ptr<LoadedExperiment> simulate(const LoadedExperiment& experiment,
                                           const std::string& model,
                                           const ParameterSettings& modelSettings,
                                           const std::string& paramsFile, const HeldValues& held,
                                           const std::vector<ModuleOptions::Given>& options) {
    CommandLine line = ModuleOptions::commandLine(Command::simulate, options);
    line.run.model = model;
    line.run.modelSettings = modelSettings;
    const ParameterChoice parameters = choiceOf(paramsFile, held);
    const py::gil_scoped_release released;
    return simulateCrowd(experiment, line.run, parameters);
}

std::unique_ptr<CalibrationJob> startCalibration(
    const Experiments& experiments, const std::string& model, const std::string& metric,
    const std::string& algorithm, const ParameterSettings& modelSettings,
    const ParameterSettings& metricSettings, const ParameterSettings& algorithmSettings,
    const std::string& paramsFile, const HeldValues& held,
    const std::vector<ModuleOptions::Given>& options) {
    CommandLine line = ModuleOptions::commandLine(Command::calibrate, options);
    CalibrateRequest& request = line.run;
    if (!request.seed) {
        throw Refusal("seed needs a whole number from 0 to 4294967295, got none.");
    }
    request.model = model;
    request.metric = metric;
    request.algorithm = algorithm;
    request.modelSettings = modelSettings;
    request.metricSettings = metricSettings;
    request.algorithmSettings = algorithmSettings;
    std::vector<std::shared_ptr<const Experiment>> shared;
    std::vector<std::string> files;
    for (const std::shared_ptr<LoadedExperiment>& experiment : experiments) {
        shared.push_back(experiment->shared());
        files.push_back(experiment->source());
    }
    return std::make_unique<CalibrationJob>(shared, files, request, choiceOf(paramsFile, held));
}

}  // namespace

PYBIND11_MODULE(_vestra, m) {
    m.doc() = "The library behind the package vestra; use the package.";
    py::register_exception_translator([](std::exception_ptr thrown) {
        try {
            if (thrown) {
                std::rethrow_exception(thrown);
            }
        } catch (const Refusal& refusal) {
            raiseInPython(refusal);
        }
    });

    py::class_<LoadedExperiment, std::shared_ptr<LoadedExperiment>>(m, "Experiment",
                                                                    "A recorded or simulated crowd")
        .def_property_readonly(
            "pedestrians", [](const LoadedExperiment& e) { return e.experiment().pedestrianCount; })
        .def_property_readonly("frames",
                               [](const LoadedExperiment& e) { return e.experiment().frameCount; })
        .def_property_readonly(
            "dt", [](const LoadedExperiment& e) { return frameStep(e.experiment()); },
            "The first frame step (s).")
        .def_property_readonly(
            "times",
            [](const LoadedExperiment& e) { return ExperimentArrays::times(e.experiment()); },
            "The time of each frame (s).")
        .def_property_readonly(
            "obstacles",
            [](const LoadedExperiment& e) { return ExperimentArrays::obstacles(e.experiment()); },
            "Obstacle segments x1 y1 x2 y2 (m), one per row.")
        .def_property_readonly(
            "positions",
            [](const LoadedExperiment& e) {
                return ExperimentArrays::samples(e.experiment(), 'p');
            },
            "frames × pedestrians × 2 (m), NaN where a pedestrian is absent.")
        .def_property_readonly(
            "velocities",
            [](const LoadedExperiment& e) {
                return ExperimentArrays::samples(e.experiment(), 'v');
            },
            "frames × pedestrians × 2 (m/s), NaN where a pedestrian is absent.")
        .def_property_readonly(
            "present",
            [](const LoadedExperiment& e) { return ExperimentArrays::present(e.experiment()); },
            "First and last frame (inclusive) of each pedestrian.")
        .def_property_readonly("notes", &LoadedExperiment::notes,
                               "What reading remarked (gaps filled, rows left out).")
        .def_property_readonly("source", &LoadedExperiment::source,
                               "The file it was read from, or simulated over.")
        .def(
            "write",
            [](const LoadedExperiment& e, const py::object& path,
               std::optional<std::string> format) {
                const std::string file = pathText(path);
                const py::gil_scoped_release released;
                e.write(file, format.value_or(""));
            },
            py::arg("path"), py::arg("format") = py::none(),
            "Writes an ANA file, or trajectories as simulate writes them: format \"ana\", "
            "\"txt\", \"csv\" or \"ndjson\", by default the path's extension.")
        .def("to_dataframe", &dataFrame,
             "One row per present sample: id, frame, t, x, y, vx, vy (needs pandas).")
        .def("__repr__", &describe);

    py::class_<ParameterValues, std::shared_ptr<ParameterValues>>(
        m, "Parameters", "Agent parameter values, as a parameter file holds them")
        .def_property_readonly("model", &ParameterValues::model)
        .def_property_readonly(
            "scope", [](const ParameterValues& p) { return ParameterScopeText::name(p.scope()); })
        .def_property_readonly("names", &ParameterValues::names)
        .def_property_readonly(
            "values",
            [](const ParameterValues& p) {
                py::array_t<float> array(
                    {py::ssize_t{p.rows()}, static_cast<py::ssize_t>(p.names().size())});
                std::copy(p.values().begin(), p.values().end(), array.mutable_data());
                return array;
            },
            "One row per pedestrian, or one row shared by all; a column per name.")
        .def_property_readonly("text", &ParameterValues::text, "The parameter file.")
        .def(
            "save",
            [](const ParameterValues& p, const py::object& path) { p.save(pathText(path)); },
            py::arg("path"), "Writes the parameter file, which --load-params and params= read.")
        .def("__repr__", [](const ParameterValues& p) {
            return "<vestra.Parameters of " + p.model() + ", " + std::to_string(p.rows()) +
                   (p.scope() == ParameterScope::shared ? " shared row" : " rows") + ", from " +
                   p.label() + ">";
        });

    py::class_<CalibrationProgress::Figures>(m, "Progress", "Where a calibration stands")
        .def_readonly("evaluations", &CalibrationProgress::Figures::evaluations)
        .def_readonly("initial_cost", &CalibrationProgress::Figures::initialCost)
        .def_readonly("best_cost", &CalibrationProgress::Figures::bestCost)
        .def_readonly("seconds", &CalibrationProgress::Figures::seconds)
        .def_readonly("position", &CalibrationProgress::Figures::position)
        .def("__str__", &CalibrationProgress::describe);

    py::class_<CalibrationJob::Outcome>(m, "Outcome")
        .def_readonly("report", &CalibrationJob::Outcome::report)
        .def_readonly("best_cost", &CalibrationJob::Outcome::bestCost)
        .def_readonly("initial_cost", &CalibrationJob::Outcome::initialCost)
        .def_readonly("evaluations", &CalibrationJob::Outcome::evaluations)
        .def_property_readonly("trace",
                               [](const CalibrationJob::Outcome& o) {
                                   py::array_t<float> array(
                                       {static_cast<py::ssize_t>(o.trace.size()), py::ssize_t{2}});
                                   auto cells = array.mutable_unchecked<2>();
                                   for (std::size_t i = 0; i < o.trace.size(); ++i) {
                                       cells(i, 0) = o.trace[i].first;
                                       cells(i, 1) = o.trace[i].second;
                                   }
                                   return array;
                               })
        .def_readonly("params", &CalibrationJob::Outcome::parameters)
        .def_readonly("cancelled", &CalibrationJob::Outcome::cancelled)
        .def_readonly("start_scores", &CalibrationJob::Outcome::startScores)
        .def_readonly("best_scores", &CalibrationJob::Outcome::bestScores);

    py::class_<CalibrationJob>(m, "CalibrationJob")
        .def(py::init(&startCalibration))
        .def("wait", &CalibrationJob::wait, py::arg("seconds"),
             py::call_guard<py::gil_scoped_release>())
        .def("join", &CalibrationJob::join, py::call_guard<py::gil_scoped_release>())
        .def("cancel", &CalibrationJob::cancel)
        .def("figures", &CalibrationJob::figures)
        .def("outcome", &CalibrationJob::outcome, py::return_value_policy::reference_internal,
             py::call_guard<py::gil_scoped_release>());

    m.def(
        "read",
        [](const std::string& path, const std::vector<ModuleOptions::Given>& options) {
            const CommandLine line = ModuleOptions::commandLine(Command::info, options);
            const py::gil_scoped_release released;
            return LoadedExperiment::read(path, line.run.experiment.reading);
        },
        py::arg("path"), py::arg("options"));
    m.def("models", [] { return listed(moduleRegistry().simulations); });
    m.def("metrics", [] { return listed(moduleRegistry().metrics); });
    m.def("algorithms", [] { return listed(moduleRegistry().calibrations); });
    m.def("evaluate", &evaluate);
    m.def("simulate", &simulate);
}
