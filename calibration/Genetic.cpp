#include "calibration/Genetic.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <limits>
#include <new>

#include "core/NumberText.h"
#include "core/Random.h"
#include "core/SystemMemory.h"
#include "run/Record.h"

namespace {
// Cost given to a genome whose evaluation is not a number, so that it ranks last.
constexpr float failedCost = 1000000000.0f;
}  // namespace

/// Working storage of one run.
struct Genetic::Run {
    int P = 0;                      ///< pedestrians
    int C = 0;                      ///< distributed parameters
    int G = 0;                      ///< genes per genome, P × C
    std::vector<float> population;  ///< N genomes of G genes, gene (p, j) at p × C + j
    std::vector<bool> evaluated;
    std::vector<float> costs;
    std::vector<int> order;
    std::vector<float> eliteMean;       ///< n × C, by elite rank and parameter
    std::vector<float> eliteDeviation;  ///< n × C

    float* genome(int i) { return population.data() + static_cast<size_t>(i) * G; }
};

Genetic::Genetic() {
    name = "Genetic";
    addParameter("N", std::make_unique<Type_int>(), &N);
    addParameter("n", std::make_unique<Type_int>(), &n);
    addParameter("a", std::make_unique<Type_float>(), &a);
    addParameter("b", std::make_unique<Type_float>(), &b);
    addParameter("c", std::make_unique<Type_float>(), &c);
    addParameter("loops", std::make_unique<Type_int>(), &loops);
}

void Genetic::clampSettings() {
    N = std::max(N, 1);
    n = std::min(std::max(n, 1), N);
    loops = std::max(loops, 1);
}

void Genetic::rankSort(std::vector<int>& order, const std::vector<float>& costs, int lo, int hi) {
    while (lo < hi) {
        const float pivot = costs[order[lo]];
        int i = lo;
        int j = hi;
        for (;;) {
            while (pivot > costs[order[i]]) {
                ++i;
            }
            while (costs[order[j]] > pivot) {
                --j;
            }
            if (i >= j) {
                break;
            }
            std::swap(order[i], order[j]);
            ++i;
            --j;
        }
        rankSort(order, costs, lo, i - 1);
        lo = j + 1;
    }
}

bool Genetic::allocate(Run& run) {
    // Bytes per genome: its genes, its cost, its rank and its flag; per elite, two statistics
    // per parameter. Counted in double, which cannot overflow for int settings.
    const double bytes = static_cast<double>(N) * (static_cast<double>(run.G) * sizeof(float) +
                                                   sizeof(float) + sizeof(int) + 1.0) +
                         2.0 * n * run.C * sizeof(float);
    const double available = static_cast<double>(physicalMemoryBytes());
    const auto refuse = [&](const char* reason) {
        failure = NumberText::format(
            "The genetic algorithm cannot run: N = %d genomes of %d values need %.1f GB of "
            "working storage, %s. Lower N.",
            N, run.G, bytes / 1e9, reason);
        cost = std::numeric_limits<float>::quiet_NaN();
        return false;
    };
    if (available > 0.0 && bytes > available) {
        return refuse(
            NumberText::format("more than this machine's %.1f GB of memory", available / 1e9)
                .c_str());
    }
    try {
        run.population.assign(static_cast<size_t>(N) * run.G, 0.0f);
        run.evaluated.assign(N, false);
        run.costs.assign(N, 0.0f);
        run.order.assign(N, 0);
        run.eliteMean.assign(static_cast<size_t>(n) * run.C, 0.0f);
        run.eliteDeviation.assign(static_cast<size_t>(n) * run.C, 0.0f);
    } catch (const std::bad_alloc&) {
        return refuse("which could not be had");
    }
    return true;
}

void Genetic::calibrate() {
    clampSettings();
    Run run;
    run.P = space.rows();
    run.C = space.columns();
    run.G = run.P * run.C;
    if (!allocate(run)) {
        return;
    }
    banner();
    seedGenerator();

    // A genome holds a set of searched values, laid out as the space lays them out.
    readValues(run.genome(0));
    for (int i = 1; i < N; ++i) {
        float* genes = run.genome(i);
        for (int p = 0; p < run.P; ++p) {
            for (int j = 0; j < run.C; ++j) {
                genes[p * run.C + j] = space.entry(p, j).distribution.sample();
            }
        }
    }

    float previous = evaluationCost();
    if (!startsFrom(previous)) {
        return;
    }
    int stall = 0;
    for (int generation = 1;; ++generation) {
        position(
            NumberText::format("generation %d, %d of %d without change", generation, stall, loops));
        // Elites keep their cost; the other genomes of a generation are independent trials.
        std::vector<int> pending;
        for (int i = 0; i < N; ++i) {
            if (!run.evaluated[i]) {
                pending.push_back(i);
            }
        }
        std::vector<float> values;
        const size_t done = static_cast<size_t>(evaluationCosts(
            static_cast<int>(pending.size()),
            [&](int trial, float* target) {
                const float* genes = run.genome(pending[static_cast<size_t>(trial)]);
                std::copy(genes, genes + run.G, target);
            },
            values));
        for (size_t t = 0; t < done; ++t) {
            run.costs[pending[t]] = std::isnan(values[t]) ? failedCost : values[t];
            run.evaluated[pending[t]] = true;
        }
        // Cancelled before every genome was evaluated: those left over rank last, except the
        // starting values of the first generation, whose cost is known.
        for (size_t t = done; t < pending.size(); ++t) {
            const bool start = generation == 1 && pending[t] == 0;
            run.costs[pending[t]] =
                start && !std::isnan(previous) ? previous : std::numeric_limits<float>::infinity();
        }
        for (int i = 0; i < N; ++i) {
            run.order[i] = i;
        }
        if (N > 1) {
            rankSort(run.order, run.costs, 0, N - 1);
        }
        if (cancelled()) {
            break;  // ends like a finished run, with the best genome found
        }
        const float best = run.costs[run.order[0]];
        costLine(previous);
        if (!(std::fabs(best - previous) > 0.0f)) {
            if (++stall == loops) {
                break;
            }
        } else {
            stall = 0;
        }
        previous = best;

        for (int r = 0; r < n; ++r) {
            const float* genes = run.genome(run.order[r]);
            for (int j = 0; j < run.C; ++j) {
                float sum = 0.0f;
                for (int p = 0; p < run.P; ++p) {
                    sum += genes[p * run.C + j];
                }
                const float mean = sum / static_cast<float>(run.P);
                float squares = 0.0f;
                for (int p = 0; p < run.P; ++p) {
                    const float d = genes[p * run.C + j] - mean;
                    squares += d * d;
                }
                run.eliteMean[r * run.C + j] = mean;
                run.eliteDeviation[r * run.C + j] = static_cast<float>(
                    std::sqrt(static_cast<double>(squares / static_cast<float>(run.P))));
            }
        }
        for (int s = n; s < N; ++s) {
            rebuild(run, run.order[s]);
            run.evaluated[run.order[s]] = false;
        }
    }

    const float* bestGenes = run.genome(run.order[0]);
    writeValues(bestGenes);
    for (int p = 0; p < run.P; ++p) {
        for (int j = 0; j < run.C; ++j) {
            space.entry(p, j).best = bestGenes[p * run.C + j];
        }
    }
    cost = evaluationCost();
}

void Genetic::rebuild(Run& run, int genome) const {
    float* genes = run.genome(genome);
    // One elite per child supplies the fitted normal of every gene of that child.
    const int fittedElite = randomIndex(n);
    for (int p = 0; p < run.P; ++p) {
        for (int j = 0; j < run.C; ++j) {
            // The distribution of a parameter is that of its first entry; all entries of one
            // parameter carry the same one.
            const PDF& distribution = space.entry(0, j).distribution;
            float& gene = genes[p * run.C + j];
            if (!chance(a)) {
                continue;
            }
            if (chance(b)) {
                gene = run.genome(run.order[randomIndex(n)])[p * run.C + j];
            } else if (chance(c)) {
                gene = distribution.sampleNormal(run.eliteMean[fittedElite * run.C + j],
                                                 run.eliteDeviation[fittedElite * run.C + j]);
            } else {
                gene = distribution.sample();
            }
        }
    }
}
