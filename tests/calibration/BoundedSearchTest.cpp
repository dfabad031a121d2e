#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "CalibrationFixture.h"
#include "calibration/Bobyqa.h"
#include "calibration/CmaEs.h"
#include "calibration/CmaEsSearch.h"
#include "calibration/NelderMead.h"
#include "calibration/NormalDraws.h"
#include "core/Random.h"

namespace {

using Function = std::function<double(const std::vector<float>&)>;

// Scores the searched values themselves, without a run: every walker's speed is one coordinate.
struct FunctionMetric : Difference {
    explicit FunctionMetric(Function f) : function(std::move(f)) {}
    float evaluate(Record* record) override {
        return static_cast<float>(function(record->parameters().values()));
    }
    Function function;
};

// Test functions on the speeds' range [0, 2]; the cases below name their minimisers.
double sphere(const std::vector<float>& x) {
    double sum = 0.0;
    for (const float v : x) {
        sum += (v - 1.3) * (v - 1.3);
    }
    return sum;
}

// Axis scales from 1 to 100 (condition 10^4).
double ellipsoid(const std::vector<float>& x) {
    double sum = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        sum += std::pow(1e4, i / std::max(x.size() - 1.0, 1.0)) * (x[i] - 1.3) * (x[i] - 1.3);
    }
    return sum;
}

double rosenbrock(const std::vector<float>& x) {
    double sum = 0.0;
    for (std::size_t i = 0; i + 1 < x.size(); ++i) {
        sum += 100.0 * std::pow(x[i + 1] - x[i] * x[i], 2) + std::pow(1.0 - x[i], 2);
    }
    return sum;
}

// The unconstrained minimum lies alternately below 0 and above 2: the minimiser is the nearer
// end of the range.
double atBounds(const std::vector<float>& x) {
    double sum = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        sum += std::pow(x[i] - (i % 2 == 0 ? -0.5 : 2.5), 2);
    }
    return sum;
}

// A per-pedestrian calibration of n walkers' speeds (from 0.5, in [0, 2]) scored by `f`.
struct FunctionScene {
    FunctionScene(int n, Function f)
        : scene(std::vector<float>(static_cast<std::size_t>(n), 1.0f)), metric(std::move(f)) {}
    void bind(Calibration& algorithm, unsigned seed) {
        algorithm.setSeed(seed);
        algorithm.setRecord(&scene.record);
        algorithm.setMetric(&metric);
    }
    SpeedScene scene;
    FunctionMetric metric;
};

}  // namespace

TEST(BoundedSearch, ReachesKnownMinimaWithinTheirBudgets) {
    struct Case {
        const char* algorithm;
        const char* function;
        double (*f)(const std::vector<float>&);
        int n;
        int budget;
        float even;  ///< the minimiser's even coordinates
        float odd;   ///< and its odd ones
    };
    // Budgets about twice what each search needed with this seed to come within 10^-6 of the
    // minimum; CMA-ES's figures are the tutorial's orders (n × 10² on the sphere, more with the
    // condition and along Rosenbrock's valley). BOBYQA models a quadratic exactly.
    const Case cases[] = {
        {"CMA-ES", "sphere", sphere, 2, 400, 1.3f, 1.3f},
        {"CMA-ES", "sphere", sphere, 10, 2000, 1.3f, 1.3f},
        {"CMA-ES", "ellipsoid", ellipsoid, 5, 3000, 1.3f, 1.3f},
        {"CMA-ES", "Rosenbrock", rosenbrock, 2, 1000, 1.0f, 1.0f},
        {"CMA-ES", "Rosenbrock", rosenbrock, 5, 4000, 1.0f, 1.0f},
        {"CMA-ES", "Rosenbrock", rosenbrock, 10, 10000, 1.0f, 1.0f},
        {"CMA-ES", "at the bounds", atBounds, 2, 800, 0.0f, 2.0f},
        {"CMA-ES", "at the bounds", atBounds, 10, 6000, 0.0f, 2.0f},
        {"CMA-ES separable", "ellipsoid", ellipsoid, 10, 3000, 1.3f, 1.3f},
        {"BOBYQA", "sphere", sphere, 10, 60, 1.3f, 1.3f},
        {"BOBYQA", "ellipsoid", ellipsoid, 5, 100, 1.3f, 1.3f},
        {"BOBYQA", "Rosenbrock", rosenbrock, 2, 250, 1.0f, 1.0f},
        {"BOBYQA", "Rosenbrock", rosenbrock, 5, 600, 1.0f, 1.0f},
        {"BOBYQA", "at the bounds", atBounds, 10, 100, 0.0f, 2.0f},
        {"Nelder-Mead", "sphere", sphere, 2, 150, 1.3f, 1.3f},
        {"Nelder-Mead", "sphere", sphere, 5, 500, 1.3f, 1.3f},
        {"Nelder-Mead", "Rosenbrock", rosenbrock, 2, 250, 1.0f, 1.0f},
        {"Nelder-Mead", "at the bounds", atBounds, 2, 100, 0.0f, 2.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.algorithm) + " on " + c.function + " in " + std::to_string(c.n) +
                     " dimensions");
        FunctionScene problem(c.n, c.f);
        const std::string name = c.algorithm;
        std::unique_ptr<BoundedSearch> algorithm;
        if (name.rfind("CMA-ES", 0) == 0) {
            auto cma = std::make_unique<CmaEs>();
            cma->separableFrom = name == "CMA-ES separable" ? 1 : 1000;
            algorithm = std::move(cma);
        } else if (name == "BOBYQA") {
            algorithm = std::make_unique<Bobyqa>();
        } else {
            algorithm = std::make_unique<NelderMead>();
        }
        algorithm->budget = c.budget;
        algorithm->tolerance = 1e-7f;
        problem.bind(*algorithm, 11);
        algorithm->calibrate();
        const std::vector<float>& speeds = problem.scene.model.agentParameters();
        for (int i = 0; i < c.n; ++i) {
            EXPECT_NEAR(speeds[static_cast<std::size_t>(i)], i % 2 == 0 ? c.even : c.odd, 1e-3)
                << "speed " << i;
        }
    }
}

TEST(LocalSearch, LibraryErrorsAreNotedAndTheBestValuesKept) {
    struct Case {
        const char* what;
        bool reversedRange;
        int notANumberAt;  ///< the evaluation whose cost is not a number; 0 for none
        const char* note;
    };
    const Case cases[] = {
        {"a range whose min exceeds its max", true, 0, "refused its arguments"},
        {"a trial that costs no number", false, 6, "evaluation 6 cost no number"},
    };
    for (const Case& c : cases) {
        for (const bool bobyqa : {true, false}) {
            SCOPED_TRACE(std::string(c.what) + (bobyqa ? ", BOBYQA" : ", Nelder-Mead"));
            int evaluations = 0;
            FunctionScene problem(3, [&](const std::vector<float>& x) {
                return ++evaluations == c.notANumberAt ? std::nan("") : sphere(x);
            });
            std::unique_ptr<LocalSearch> algorithm;
            algorithm = bobyqa ? std::unique_ptr<LocalSearch>(std::make_unique<Bobyqa>())
                               : std::make_unique<NelderMead>();
            problem.bind(*algorithm, 1);
            if (c.reversedRange) {
                algorithm->space.entries[1].distribution = PDF(2.0f, 0.0f, PDF::UNIFORM, 0, 0);
            }
            std::ostringstream console;
            algorithm->setConsole(console);
            algorithm->verbose = true;
            const float start = static_cast<float>(sphere({0.5f, 0.5f, 0.5f}));
            EXPECT_NO_THROW(algorithm->calibrate());
            EXPECT_NE(algorithm->note.find(c.note), std::string::npos) << algorithm->note;
            EXPECT_NE(console.str().find("Stopped early: " + algorithm->note), std::string::npos);
            const std::vector<float>& speeds = problem.scene.model.agentParameters();
            EXPECT_EQ(algorithm->cost, static_cast<float>(sphere(speeds)));
            EXPECT_LE(algorithm->cost, start);
            for (const ParameterEntry& entry : algorithm->space.entries) {
                EXPECT_EQ(speeds[static_cast<std::size_t>(entry.row)], entry.best);
            }
        }
    }
}

TEST(LocalSearch, SearchesAgainFromRandomValuesWhileTheBudgetLasts) {
    // Two basins per coordinate: the starting speed 0.5 lies in the shallow one (minimum 0 at
    // 0.2), the deep one (minimum -0.1 at 1.9) begins at 1.0206 (where both parabolas meet), out
    // of reach of the first search's steps.
    const auto twoBasins = [](const std::vector<float>& x) {
        double sum = 0.0;
        for (const float v : x) {
            sum += std::min(std::pow(v - 0.2, 2), std::pow(v - 1.9, 2) - 0.1);
        }
        return sum;
    };
    for (const bool bobyqa : {true, false}) {
        SCOPED_TRACE(bobyqa ? "BOBYQA" : "Nelder-Mead");
        const auto run = [&](int budget, unsigned seed) {
            FunctionScene problem(2, twoBasins);
            std::unique_ptr<LocalSearch> algorithm;
            algorithm = bobyqa ? std::unique_ptr<LocalSearch>(std::make_unique<Bobyqa>())
                               : std::make_unique<NelderMead>();
            algorithm->budget = budget;
            algorithm->tolerance = 1e-5f;
            problem.bind(*algorithm, seed);
            algorithm->calibrate();
            EXPECT_TRUE(algorithm->note.empty()) << algorithm->note;
            // The budget and the last evaluation of the best values.
            EXPECT_EQ(algorithm->evaluationCount(), static_cast<unsigned long long>(budget) + 1);
            return problem.scene.model.agentParameters();
        };
        // Reaching the deep basin in both coordinates at once takes a few searches.
        const std::vector<float> speeds = run(1000, 5);
        for (const float speed : speeds) {
            EXPECT_NEAR(speed, 1.9f, 1e-3f);
        }
        EXPECT_EQ(run(1000, 5), speeds);
    }
}

TEST(BoundedSearch, SettingsAndTheirClamps) {
    CmaEs cma;
    EXPECT_EQ(cma.parameterNames(),
              (std::vector<std::string>{"population", "budget", "tolerance"}));
    Bobyqa bobyqa;
    NelderMead nelderMead;
    for (Calibration* algorithm : std::initializer_list<Calibration*>{&cma, &bobyqa, &nelderMead}) {
        SCOPED_TRACE(algorithm->name);
        EXPECT_EQ(algorithm->getParameter("budget"), "2000");
        EXPECT_EQ(algorithm->getParameter("tolerance"), "0.001");
        algorithm->setParameter("budget", "0");
        algorithm->setParameter("tolerance", "-1");
        algorithm->setParameter("population", "-4");  // CMA-ES alone has one
        algorithm->commitParameters();
        EXPECT_EQ(algorithm->getParameter("budget"), "1");
        EXPECT_EQ(algorithm->getParameter("tolerance"), "0");
    }
    EXPECT_EQ(bobyqa.parameterNames(), (std::vector<std::string>{"budget", "tolerance"}));
    EXPECT_EQ(cma.population, 0);
}

TEST(CmaEsSearch, RestartsWithADoubledPopulationUntilTheBudgetIsSpent) {
    CmaEsSearch::Settings settings;
    settings.budget = 3000;
    CmaEsSearch search(settings);
    std::vector<int> populations;
    search.onGeneration = [&](const CmaEsSearch::Position& at) {
        if (at.generation == 1) {
            populations.push_back(at.population);
        }
    };
    long long evaluated = 0;
    Random::seed(3);
    const CmaEsSearch::Result result = search.minimise(
        {0.9, 0.9},
        [&](const std::vector<std::vector<double>>& points, std::vector<double>& costs) {
            for (std::size_t k = 0; k < points.size(); ++k) {
                costs[k] = std::pow(points[k][0] - 0.3, 2) + std::pow(points[k][1] - 0.6, 2);
            }
            evaluated += static_cast<long long>(points.size());
            return static_cast<int>(points.size());
        });
    EXPECT_EQ(evaluated, 3000);
    EXPECT_EQ(result.evaluations, 3000);
    // 4 + ⌊3 ln 2⌋ = 6 samples in two dimensions, then 12, 24, ...
    ASSERT_GE(populations.size(), 3u);
    for (std::size_t run = 0; run < populations.size(); ++run) {
        EXPECT_EQ(populations[run], 6 << run);
    }
    EXPECT_EQ(result.runs, static_cast<int>(populations.size()));
    EXPECT_NEAR(result.best[0], 0.3, 1e-3);
    EXPECT_NEAR(result.best[1], 0.6, 1e-3);
}

TEST(NormalDraws, AreStandardNormalAndRepeatWithTheSeed) {
    constexpr int count = 200000;
    const auto draw = [](unsigned seed) {
        Random::seed(seed);
        NormalDraws normal;
        std::vector<double> values(count);
        for (double& value : values) {
            value = normal.next();
        }
        return values;
    };
    const std::vector<double> values = draw(5);
    EXPECT_EQ(draw(5), values);
    double sum = 0.0;
    double squares = 0.0;
    int withinOne = 0;
    for (const double value : values) {
        sum += value;
        squares += value * value;
        withinOne += std::fabs(value) < 1.0;
    }
    // Mean 0 and variance 1, each to about four standard errors (1/√count = 0.0022); 68.27 % of
    // a normal distribution lies within one deviation.
    EXPECT_NEAR(sum / count, 0.0, 0.01);
    EXPECT_NEAR(squares / count, 1.0, 0.015);
    EXPECT_NEAR(static_cast<double>(withinOne) / count, 0.6827, 0.005);
}
