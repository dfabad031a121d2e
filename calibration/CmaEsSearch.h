#pragma once

#include <functional>
#include <vector>

/// The covariance matrix adaptation evolution strategy minimising a function of n coordinates on
/// the unit box [0, 1]^n, restarted with a doubled population (IPOP) whenever a run converges or
/// stagnates, for as long as the budget of evaluations lasts. The equations, learning rates and
/// stopping tests are those of Hansen's tutorial ("The CMA Evolution Strategy: A Tutorial",
/// 2016): μ = ⌊λ/2⌋ positive log-weights, cumulative step-size adaptation, rank-one and rank-μ
/// covariance updates. Every random number comes from the project's generator, so a seeded search
/// repeats exactly, whatever evaluates its points.
///
/// A sample that leaves the box is reflected back into it at the walls, and the reflected point,
/// the one evaluated, is the one the strategy learns from. We chose reflection over a penalty:
/// every evaluation is a legal parameter set (a model cannot run with a negative radius, so an
/// outside point could only be scored at its repair), no penalty weight needs adapting, and an
/// optimum on a wall is approached from inside, where reflected samples concentrate.
class CmaEsSearch {
public:
    /// The costs of one generation's points, evaluated at once. Returns how many were evaluated,
    /// always the first ones; fewer than asked ends the search (a cancelled run). A cost that is
    /// not a number ranks after every number.
    using Evaluate = std::function<int(const std::vector<std::vector<double>>& points,
                                       std::vector<double>& costs)>;

    struct Settings {
        int population = 0;       ///< λ of the first run; 0 or less: 4 + ⌊3 ln n⌋
        long long budget = 2000;  ///< evaluations of all runs together
        double tolerance = 1e-3;  ///< a run converges below this (see converged())
        bool separable = false;   ///< a diagonal covariance: linear cost, no correlations
    };

    /// Where the search stands after a generation, for progress displays.
    struct Position {
        int run = 0;         ///< 1 for the first run
        int population = 0;  ///< λ of the run
        int generation = 0;  ///< within the run
        double step = 0.0;   ///< σ, in box widths
        double best = 0.0;   ///< lowest cost of all runs so far
        long long evaluations = 0;
        const char* ended = nullptr;  ///< why the run ended after this generation, or null
    };

    struct Result {
        std::vector<double> best;  ///< the lowest-cost point evaluated; the start if none
        double cost = 0.0;         ///< its cost; not a number when nothing was evaluated
        long long evaluations = 0;
        int runs = 0;
    };

    explicit CmaEsSearch(const Settings& chosen) : settings(chosen) {}

    /// Searches from `start` (moved into the box) until the budget is spent or an evaluation
    /// comes back short; later runs start from points drawn uniformly in the box.
    Result minimise(const std::vector<double>& start, const Evaluate& evaluate);

    /// Called after every generation.
    std::function<void(const Position&)> onGeneration;

    /// The default first population for n coordinates, 4 + ⌊3 ln n⌋.
    static int defaultPopulation(int n);
    /// The largest population a search of n coordinates can reach: the first one doubled while a
    /// generation still fits into the budget.
    static int largestPopulation(int n, const Settings& settings);

private:
    class Run;
    Settings settings;
};
