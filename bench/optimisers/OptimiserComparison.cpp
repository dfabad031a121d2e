#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "BenchScenes.h"
#include "CopiedRun.h"
#include "calibration/BoundedSearch.h"
#include "calibration/CalibrationRun.h"
#include "calibration/CmaEs.h"
#include "core/NumberText.h"

// How many evaluations each calibration algorithm needs to come within 1 % of the best cost that
// any of them found, on the shipped recordings and a generated corridor, for RVO2 and Helbing
// scored by Difference. Every algorithm runs with its default settings from the model's
// defaults, five seeds each, and is stopped after the budget; the counters are the medians
// over the seeds (inf: fewer than three seeds came that close), "10 %" the same for a target
// 10 % above the best, and "gap %" the median of how far above the best cost each run's own
// best stayed. Standard error gets every run: its
// evaluations to the target, its gap and the evaluations it made. A whole problem is one
// iteration, its runs shared among the machine's cores.

namespace {

constexpr unsigned seedCount = 5;
constexpr double within = 0.01;  // of the best cost
// A looser target, for costs whose lowest values are isolated points that few runs hit.
constexpr double roughly = 0.1;

/// One calibration problem: a recording, a model, a scope and the evaluations a run may use.
struct Problem {
    std::string recording;  ///< a shipped example, or "corridor" for the generated one
    std::string model;
    ParameterScope scope;
    long long budget;
};

/// A variant of an algorithm: its registered name, a label and what is set before it runs.
struct Contender {
    std::string algorithm;
    std::string label;
    std::function<void(Calibration&)> adjust = [](Calibration&) {};
};

std::unique_ptr<Experiment> recordingOf(const std::string& name) {
    if (name == "corridor") {
        CopiedRun corridor(1);
        return std::make_unique<Experiment>(corridor);
    }
    return loadExample(name + ".ana");
}

/// Every cost of one run in order, up to the budget.
std::vector<float> costsOf(const Experiment& experiment, const Problem& problem,
                           const Contender& contender, unsigned seed) {
    BoundRecord bound(experiment, problem.model.c_str());
    Record& record = bound.record;
    Difference metric;
    ComponentRegistry registry;
    registerStandardComponents(registry);
    const std::unique_ptr<Calibration> calibration =
        registry.calibrations.create(contender.algorithm);
    calibration->scope = problem.scope;
    calibration->setSeed(seed);
    if (auto* bounded = dynamic_cast<BoundedSearch*>(calibration.get())) {
        bounded->budget = static_cast<int>(problem.budget);
    }
    contender.adjust(*calibration);
    std::vector<float> costs;
    calibration->onEvaluation = [&](float cost) {
        if (static_cast<long long>(costs.size()) < problem.budget) {
            costs.push_back(cost);
        }
        if (static_cast<long long>(costs.size()) == problem.budget) {
            calibration->requestCancel();
        }
    };
    std::ostringstream report;
    runCalibration(record, bound.reference, metric, *calibration, report);
    return costs;
}

/// The evaluation at which the lowest cost so far first reaches `target`; none: infinity.
double evaluationsTo(const std::vector<float>& costs, double target) {
    float best = std::numeric_limits<float>::infinity();
    for (std::size_t i = 0; i < costs.size(); ++i) {
        best = std::min(best, costs[i]);
        if (best <= target) {
            return static_cast<double>(i + 1);
        }
    }
    return std::numeric_limits<double>::infinity();
}

/// Runs every contender with every seed, on the machine's cores; traces[c][s].
std::vector<std::vector<std::vector<float>>> traces(const Problem& problem,
                                                    const std::vector<Contender>& contenders) {
    const std::unique_ptr<Experiment> experiment = recordingOf(problem.recording);
    std::vector<std::vector<std::vector<float>>> all(contenders.size(),
                                                     std::vector<std::vector<float>>(seedCount));
    const std::size_t jobs = contenders.size() * seedCount;
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t job = next++; job < jobs; job = next++) {
            const std::size_t c = job / seedCount;
            const unsigned seed = static_cast<unsigned>(job % seedCount) + 1;
            all[c][seed - 1] = costsOf(*experiment, problem, contenders[c], seed);
        }
    };
    std::vector<std::thread> threads(std::max(1u, std::thread::hardware_concurrency()));
    for (std::thread& thread : threads) {
        thread = std::thread(work);
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    return all;
}

/// Writes every run's improvements, `algorithm,seed,evaluation,best`, and its last evaluation
/// as a final row, into FOLDER/scope-model-recording.csv when the environment names a FOLDER in
/// VESTRA_OPTIMISER_TRACES: enough to measure any other target afterwards.
void writeImprovements(const Problem& problem, const std::vector<Contender>& contenders,
                       const std::vector<std::vector<std::vector<float>>>& all) {
    const char* folder = std::getenv("VESTRA_OPTIMISER_TRACES");
    if (!folder || !*folder) {
        return;
    }
    const std::string path = std::string(folder) + "/" +
                             (problem.scope == ParameterScope::shared ? "shared" : "pedestrian") +
                             "-" + problem.model + "-" + problem.recording + ".csv";
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (!file) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return;
    }
    std::fprintf(file, "algorithm,seed,evaluation,best\n");
    for (std::size_t c = 0; c < contenders.size(); ++c) {
        for (std::size_t s = 0; s < all[c].size(); ++s) {
            const std::vector<float>& costs = all[c][s];
            float best = std::numeric_limits<float>::infinity();
            for (std::size_t i = 0; i < costs.size(); ++i) {
                if (costs[i] < best || i + 1 == costs.size()) {
                    best = std::min(best, costs[i]);
                    std::fprintf(file, "%s,%zu,%zu,%.9g\n", contenders[c].label.c_str(), s + 1,
                                 i + 1, static_cast<double>(best));
                }
            }
        }
    }
    std::fclose(file);
}

void compare(benchmark::State& state, const Problem& problem,
             const std::vector<Contender>& contenders) {
    std::vector<std::vector<std::vector<float>>> all;
    for (auto _ : state) {
        all = traces(problem, contenders);
    }
    writeImprovements(problem, contenders, all);
    float best = std::numeric_limits<float>::infinity();
    for (const auto& runs : all) {
        for (const std::vector<float>& costs : runs) {
            for (const float cost : costs) {
                best = std::min(best, cost);
            }
        }
    }
    const double target = best * (1.0 + within);
    state.counters["best"] = best;
    std::fprintf(stderr, "%s %s %s, best %.6g:", problem.recording.c_str(), problem.model.c_str(),
                 problem.scope == ParameterScope::shared ? "shared" : "pedestrian",
                 static_cast<double>(best));
    for (std::size_t c = 0; c < contenders.size(); ++c) {
        std::vector<double> needed;
        std::vector<double> gaps;
        std::string line;
        for (const std::vector<float>& costs : all[c]) {
            needed.push_back(evaluationsTo(costs, target));
            const float lowest = *std::min_element(costs.begin(), costs.end());
            gaps.push_back(100.0 * (lowest / best - 1.0));
            line +=
                NumberText::format(" %g (%.1f %%, %zu)", needed.back(), gaps.back(), costs.size());
        }
        std::sort(needed.begin(), needed.end());
        state.counters[contenders[c].label] = needed[seedCount / 2];
        std::vector<double> near;
        for (const std::vector<float>& costs : all[c]) {
            near.push_back(evaluationsTo(costs, best * (1.0 + roughly)));
        }
        std::sort(near.begin(), near.end());
        state.counters[contenders[c].label + " 10 %"] = near[seedCount / 2];
        line += NumberText::format(" to 10 %%: %g;", near[seedCount / 2]);
        line += " gap after";
        for (const long long after : {500LL, 2000LL, problem.budget}) {
            std::vector<double> early;
            for (const std::vector<float>& costs : all[c]) {
                const auto end = costs.begin() + std::min<long long>(after, costs.size());
                early.push_back(100.0 * (*std::min_element(costs.begin(), end) / best - 1.0));
            }
            std::sort(early.begin(), early.end());
            line += NumberText::format(" %lld: %.1f %%", after, early[seedCount / 2]);
        }
        std::sort(gaps.begin(), gaps.end());
        state.counters[contenders[c].label + " gap %"] = gaps[seedCount / 2];
        std::fprintf(stderr, "\n  %-20s%s", contenders[c].label.c_str(), line.c_str());
    }
    std::fprintf(stderr, "\n");
}

std::vector<Contender> everyAlgorithm() {
    std::vector<Contender> contenders;
    for (const char* name : {"Greedy", "Simulated Annealing", "Genetic", "GeneticGreedy", "CMA-ES",
                             "BOBYQA", "Nelder-Mead"}) {
        contenders.push_back({name, name});
    }
    return contenders;
}

/// CMA-ES with a full and with a diagonal covariance, for the break-even of the separable
/// variant.
std::vector<Contender> bothCovariances() {
    const auto covariance = [](int from) {
        return [from](Calibration& calibration) {
            static_cast<CmaEs&>(calibration).separableFrom = from;
        };
    };
    return {{"CMA-ES", "full", covariance(INT_MAX)}, {"CMA-ES", "diagonal", covariance(0)}};
}

void registerComparisons() {
    const char* const recordings[] = {"bottleneck", "corridor-crossing", "crossing-flows",
                                      "corridor-presence", "corridor"};
    // The corridor's 60 walkers cost 5 to 10 ms a run: half the budget keeps each model's
    // comparison on it under half an hour on two cores, now that every algorithm but Greedy and
    // the genetic ones spends its whole budget.
    const auto budgetFor = [](const std::string& recording) {
        return recording == "corridor" ? 10000LL : 20000LL;
    };
    for (const char* model : {"RVO2", "Helbing"}) {
        for (const char* recording : recordings) {
            const Problem shared{recording, model, ParameterScope::shared, budgetFor(recording)};
            benchmark::RegisterBenchmark(
                ("optimisers/shared/" + std::string(model) + "/" + recording).c_str(),
                [shared](benchmark::State& state) { compare(state, shared, everyAlgorithm()); })
                ->Iterations(1)
                ->Unit(benchmark::kSecond);
        }
        for (const char* recording : recordings) {
            const Problem perPedestrian{recording, model, ParameterScope::pedestrian,
                                        budgetFor(recording)};
            benchmark::RegisterBenchmark(
                ("optimisers/pedestrian/" + std::string(model) + "/" + recording).c_str(),
                [perPedestrian](benchmark::State& state) {
                    compare(state, perPedestrian, everyAlgorithm());
                })
                ->Iterations(1)
                ->Unit(benchmark::kSecond);
            benchmark::RegisterBenchmark(
                ("separable/pedestrian/" + std::string(model) + "/" + recording).c_str(),
                [perPedestrian](benchmark::State& state) {
                    compare(state, perPedestrian, bothCovariances());
                })
                ->Iterations(1)
                ->Unit(benchmark::kSecond);
        }
    }
}

const bool registered = (registerComparisons(), true);

}  // namespace
