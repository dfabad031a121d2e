#include "calibration/CmaEsSearch.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <numeric>

#include "calibration/EigenMatrices.h"
#include "calibration/NormalDraws.h"

namespace {

using Eigen::MatrixXd;
using Eigen::VectorXd;

// The first step of every run, in box widths: the tutorial puts the optimum within about three
// steps of the start, and here it may lie anywhere in the box.
constexpr double initialStep = 0.3;
// Axes of the covariance more than 10^7 apart in length (a condition of 10^14) leave too few
// digits of a double to sample along the short ones.
constexpr double conditionLimit = 1e14;
// A step this many box widths long samples the box uniformly after reflection: the run learns
// nothing more and is restarted.
constexpr double largestStep = 1e3;
// The stagnation test compares the medians of this many newest and oldest generations.
constexpr std::size_t stagnationSpan = 20;

/// Folds a coordinate back into [0, 1] by reflection at both walls, as often as it takes.
double reflect(double x) {
    const double folded = std::fmod(std::fabs(x), 2.0);
    return folded <= 1.0 ? folded : 2.0 - folded;
}

double median(std::vector<double> values) {
    const std::size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle),
                     values.end());
    return values[middle];
}

/// The strategy's constants for a population λ in n coordinates (the tutorial's table 1).
struct Rates {
    int lambda = 0;
    int mu = 0;
    VectorXd weights;
    double mueff = 0.0;
    double cs = 0.0;    ///< step-size path
    double ds = 0.0;    ///< step-size damping
    double cc = 0.0;    ///< covariance path
    double c1 = 0.0;    ///< rank-one update
    double cmu = 0.0;   ///< rank-μ update
    double chiN = 0.0;  ///< expected length of an n-dimensional standard normal vector
};

Rates ratesFor(int n, int lambda, bool separable) {
    Rates r;
    r.lambda = lambda;
    r.mu = lambda / 2;
    r.weights.resize(r.mu);
    for (int i = 0; i < r.mu; ++i) {
        r.weights[i] = std::log((lambda + 1) / 2.0) - std::log(i + 1.0);
    }
    r.weights /= r.weights.sum();
    r.mueff = 1.0 / r.weights.squaredNorm();
    const double N = n;
    r.cs = (r.mueff + 2.0) / (N + r.mueff + 5.0);
    r.ds = 1.0 + 2.0 * std::max(0.0, std::sqrt((r.mueff - 1.0) / (N + 1.0)) - 1.0) + r.cs;
    r.cc = (4.0 + r.mueff / N) / (N + 4.0 + 2.0 * r.mueff / N);
    r.c1 = 2.0 / ((N + 1.3) * (N + 1.3) + r.mueff);
    r.cmu = std::min(1.0 - r.c1,
                     2.0 * (r.mueff - 2.0 + 1.0 / r.mueff) / ((N + 2.0) * (N + 2.0) + r.mueff));
    if (separable) {
        // A diagonal has n variances to learn instead of n(n + 1)/2 entries, so it may learn
        // (n + 2)/3 times as fast (Ros and Hansen, 2008).
        const double faster = (N + 2.0) / 3.0;
        r.c1 = std::min(1.0, r.c1 * faster);
        r.cmu = std::min(1.0 - r.c1, r.cmu * faster);
    }
    r.chiN = std::sqrt(N) * (1.0 - 1.0 / (4.0 * N) + 1.0 / (21.0 * N * N));
    return r;
}

/// Indices of `costs` from the lowest cost up, those that are not numbers last, ties in index
/// order, so that a ranking never depends on the sort's implementation.
std::vector<int> ranking(const std::vector<double>& costs) {
    std::vector<int> order(costs.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&costs](int a, int b) {
        const double x = costs[static_cast<std::size_t>(a)];
        const double y = costs[static_cast<std::size_t>(b)];
        return std::isnan(y) ? !std::isnan(x) : x < y;
    });
    return order;
}

}  // namespace

/// One run of the strategy: its distribution, its paths and its history.
class CmaEsSearch::Run {
public:
    Run(int dimension, int lambda, bool diagonal, const VectorXd& start)
        : rates(ratesFor(dimension, lambda, diagonal)),
          n(dimension),
          separable(diagonal),
          mean(start),
          ps(VectorXd::Zero(dimension)),
          pc(VectorXd::Zero(dimension)),
          variances(VectorXd::Ones(dimension)),
          axes(VectorXd::Ones(dimension)) {
        if (!separable) {
            C = MatrixXd::Identity(n, n);
            B = MatrixXd::Identity(n, n);
        }
    }

    /// λ samples of the distribution, reflected into the box; their steps are kept for update.
    std::vector<std::vector<double>> sample(NormalDraws& normal);
    /// Moves the distribution towards the best half of the samples, given their costs.
    void update(const std::vector<double>& costs);
    /// Why the run should end now, or null while it should go on.
    const char* ended(double tolerance, const std::vector<double>& costs) const;

    int generation = 0;
    double sigma = initialStep;

private:
    double variance(int i) const { return separable ? variances[i] : C(i, i); }
    /// The eigen-decomposition of C: B holds the axes, `axes` their lengths.
    void decompose();
    const char* stagnated() const;

    Rates rates;
    int n;
    bool separable;
    VectorXd mean;
    VectorXd ps;
    VectorXd pc;
    MatrixXd C;
    MatrixXd B;
    VectorXd variances;  ///< the diagonal, when separable
    VectorXd axes;       ///< square roots of C's eigenvalues (of the diagonal, when separable)
    bool decompositionFailed = false;
    int decomposedAt = 0;
    std::vector<VectorXd> steps;  ///< (x − mean) / σ of the last samples
    std::vector<double> bestCosts;
    std::vector<double> medianCosts;
};

std::vector<std::vector<double>> CmaEsSearch::Run::sample(NormalDraws& normal) {
    const auto lambda = static_cast<std::size_t>(rates.lambda);
    std::vector<std::vector<double>> points(lambda,
                                            std::vector<double>(static_cast<std::size_t>(n)));
    steps.assign(lambda, VectorXd(n));
    VectorXd z(n);
    for (std::size_t k = 0; k < lambda; ++k) {
        for (int i = 0; i < n; ++i) {
            z[i] = normal.next();
        }
        const VectorXd y =
            separable ? VectorXd(axes.cwiseProduct(z)) : VectorXd(B * axes.cwiseProduct(z));
        for (int i = 0; i < n; ++i) {
            const double x = reflect(mean[i] + sigma * y[i]);
            points[k][static_cast<std::size_t>(i)] = x;
            steps[k][i] = (x - mean[i]) / sigma;
        }
    }
    return points;
}

void CmaEsSearch::Run::update(const std::vector<double>& costs) {
    const std::vector<int> order = ranking(costs);
    VectorXd yw = VectorXd::Zero(n);
    for (int i = 0; i < rates.mu; ++i) {
        yw +=
            rates.weights[i] * steps[static_cast<std::size_t>(order[static_cast<std::size_t>(i)])];
    }
    // The weighted mean of reflected points stays in the box.
    mean += sigma * yw;

    ++generation;
    const VectorXd whitened = separable ? VectorXd(yw.cwiseQuotient(axes))
                                        : VectorXd(B * (B.transpose() * yw).cwiseQuotient(axes));
    ps = (1.0 - rates.cs) * ps + std::sqrt(rates.cs * (2.0 - rates.cs) * rates.mueff) * whitened;
    const double psLength = ps.norm();
    // The rank-one path stalls while the step size is still growing fast, so that a long step
    // does not stretch the covariance too.
    const bool pathHolds =
        psLength / std::sqrt(1.0 - std::pow(1.0 - rates.cs, 2.0 * generation)) / rates.chiN <
        1.4 + 2.0 / (n + 1.0);
    pc = (1.0 - rates.cc) * pc +
         (pathHolds ? std::sqrt(rates.cc * (2.0 - rates.cc) * rates.mueff) : 0.0) * yw;
    const double stalled = pathHolds ? 0.0 : rates.c1 * rates.cc * (2.0 - rates.cc);
    const double kept = 1.0 - rates.c1 - rates.cmu + stalled;
    if (separable) {
        VectorXd rankMu = VectorXd::Zero(n);
        for (int i = 0; i < rates.mu; ++i) {
            rankMu +=
                rates.weights[i] *
                steps[static_cast<std::size_t>(order[static_cast<std::size_t>(i)])].cwiseAbs2();
        }
        variances = kept * variances + rates.c1 * pc.cwiseAbs2() + rates.cmu * rankMu;
        axes = variances.cwiseSqrt();
    } else {
        MatrixXd weighted(n, rates.mu);
        for (int i = 0; i < rates.mu; ++i) {
            weighted.col(i) = std::sqrt(rates.weights[i]) *
                              steps[static_cast<std::size_t>(order[static_cast<std::size_t>(i)])];
        }
        C = kept * C + rates.c1 * pc * pc.transpose() + rates.cmu * weighted * weighted.transpose();
        // The tutorial's lazy update: the O(n³) decomposition once every so many generations
        // costs less than the O(n²) sampling per evaluation.
        if (generation - decomposedAt > rates.lambda / ((rates.c1 + rates.cmu) * n * 10.0)) {
            decompose();
        }
    }
    sigma *= std::exp(rates.cs / rates.ds * (psLength / rates.chiN - 1.0));

    std::vector<double> sorted(costs.size());
    for (std::size_t k = 0; k < costs.size(); ++k) {
        sorted[k] = costs[static_cast<std::size_t>(order[k])];
    }
    bestCosts.push_back(sorted.front());
    medianCosts.push_back(sorted[sorted.size() / 2]);
}

void CmaEsSearch::Run::decompose() {
    decomposedAt = generation;
    C = 0.5 * (C + C.transpose());
    const Eigen::SelfAdjointEigenSolver<MatrixXd> solver(C);
    if (solver.info() != Eigen::Success) {
        decompositionFailed = true;
        return;
    }
    axes = solver.eigenvalues().cwiseMax(0.0).cwiseSqrt();
    B = solver.eigenvectors();
}

const char* CmaEsSearch::Run::ended(double tolerance, const std::vector<double>& costs) const {
    if (decompositionFailed || !std::isfinite(sigma) || !(sigma > 0.0)) {
        return "its covariance could not be decomposed";
    }
    bool small = true;
    bool noEffect = false;
    for (int i = 0; i < n; ++i) {
        const double deviation = sigma * std::sqrt(variance(i));
        small = small && deviation < tolerance && sigma * std::fabs(pc[i]) < tolerance;
        noEffect = noEffect || mean[i] + 0.2 * deviation == mean[i];
    }
    if (small) {
        return "its steps fell below the tolerance";
    }
    if (noEffect) {
        return "its steps no longer moved the mean";
    }
    const double shortest = axes.minCoeff();
    const double longest = axes.maxCoeff();
    if (!(shortest > 0.0) || (longest / shortest) * (longest / shortest) > conditionLimit) {
        return "its covariance grew too ill-conditioned";
    }
    if (sigma * longest > largestStep) {
        return "its steps grew far beyond the box";
    }
    // Flat costs: the recent generations' best and this generation's costs lie within the
    // tolerance of the best, relative to it.
    const auto window = static_cast<std::size_t>(10 + std::ceil(30.0 * n / rates.lambda));
    if (bestCosts.size() >= window) {
        double low = std::numeric_limits<double>::infinity();
        double high = -low;
        bool numbers = true;
        const auto widen = [&](double cost) {
            numbers = numbers && !std::isnan(cost);
            low = std::min(low, cost);
            high = std::max(high, cost);
        };
        std::for_each(bestCosts.end() - static_cast<std::ptrdiff_t>(window), bestCosts.end(),
                      widen);
        std::for_each(costs.begin(), costs.end(), widen);
        if (numbers && high - low <= tolerance * std::fabs(low)) {
            return "its costs differed by less than the tolerance";
        }
    }
    return stagnated();
}

const char* CmaEsSearch::Run::stagnated() const {
    // The tutorial's test: over the last 120 + 30n/λ generations and a fifth of the run, neither
    // the best nor the median cost of the newest generations is lower than of the oldest.
    const auto window =
        static_cast<std::size_t>(120.0 + 30.0 * n / rates.lambda + 0.2 * bestCosts.size());
    if (bestCosts.size() < window || window < 2 * stagnationSpan) {
        return nullptr;
    }
    const auto noBetter = [&](const std::vector<double>& history) {
        const auto oldest = history.end() - static_cast<std::ptrdiff_t>(window);
        const auto span = static_cast<std::ptrdiff_t>(stagnationSpan);
        return !(median({history.end() - span, history.end()}) < median({oldest, oldest + span}));
    };
    return noBetter(bestCosts) && noBetter(medianCosts) ? "it stagnated" : nullptr;
}

int CmaEsSearch::defaultPopulation(int n) {
    return 4 + static_cast<int>(std::floor(3.0 * std::log(std::max(n, 1))));
}

namespace {

int firstPopulation(int n, const CmaEsSearch::Settings& settings) {
    // Two samples at least: μ = ⌊λ/2⌋ must keep one.
    return settings.population > 0 ? std::max(settings.population, 2)
                                   : CmaEsSearch::defaultPopulation(n);
}

}  // namespace

int CmaEsSearch::largestPopulation(int n, const Settings& settings) {
    long long lambda = firstPopulation(n, settings);
    while (2 * lambda <= settings.budget && 2 * lambda <= std::numeric_limits<int>::max()) {
        lambda *= 2;
    }
    return static_cast<int>(lambda);
}

CmaEsSearch::Result CmaEsSearch::minimise(const std::vector<double>& start,
                                          const Evaluate& evaluate) {
    const int n = static_cast<int>(start.size());
    Result result;
    result.best = start;
    for (double& x : result.best) {
        x = std::isnan(x) ? 0.5 : std::min(std::max(x, 0.0), 1.0);
    }
    double bestCost = std::numeric_limits<double>::infinity();
    NormalDraws normal;
    VectorXd mean = Eigen::Map<const VectorXd>(result.best.data(), n);
    long long lambda = firstPopulation(n, settings);
    for (int run = 1; n > 0 && result.evaluations < settings.budget; ++run) {
        if (run > 1) {
            for (int i = 0; i < n; ++i) {
                mean[i] = NormalDraws::uniform();
            }
        }
        result.runs = run;
        Run state(n, static_cast<int>(lambda), settings.separable, mean);
        for (const char* why = nullptr; !why;) {
            const long long left = settings.budget - result.evaluations;
            if (left <= 0) {
                break;
            }
            std::vector<std::vector<double>> points = state.sample(normal);
            const bool whole = static_cast<long long>(points.size()) <= left;
            if (!whole) {
                points.resize(static_cast<std::size_t>(left));
            }
            std::vector<double> costs(points.size(), std::numeric_limits<double>::quiet_NaN());
            const int done = evaluate(points, costs);
            for (std::size_t k = 0; k < static_cast<std::size_t>(done); ++k) {
                ++result.evaluations;
                if (costs[k] < bestCost) {
                    bestCost = costs[k];
                    result.best = points[k];
                }
            }
            if (!whole || done < static_cast<int>(points.size())) {
                result.cost =
                    std::isinf(bestCost) ? std::numeric_limits<double>::quiet_NaN() : bestCost;
                return result;
            }
            state.update(costs);
            why = state.ended(settings.tolerance, costs);
            if (onGeneration) {
                Position position;
                position.run = run;
                position.population = static_cast<int>(lambda);
                position.generation = state.generation;
                position.step = state.sigma;
                position.best = bestCost;
                position.evaluations = result.evaluations;
                position.ended = why;
                onGeneration(position);
            }
        }
        lambda = std::min<long long>(2 * lambda, std::numeric_limits<int>::max());
    }
    result.cost = std::isinf(bestCost) ? std::numeric_limits<double>::quiet_NaN() : bestCost;
    return result;
}
