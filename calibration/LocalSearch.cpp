#include "calibration/LocalSearch.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <memory>
#include <nlopt.hpp>
#include <stdexcept>
#include <string>

#include "calibration/NormalDraws.h"
#include "core/NumberText.h"

namespace {
// The first steps along each coordinate, as a fraction of its range: long enough for the first
// model or simplex to see the cost change in every direction, short enough to stay near the
// starting values, which are usually the model's sensible defaults.
constexpr double initialStep = 0.25;
}  // namespace

/// What the library's callback needs: the search and the trial values in float.
struct LocalSearch::Objective {
    LocalSearch& search;
    std::vector<float> values;
    int run = 1;  ///< 1 for the search from the starting values
    bool notANumber = false;

    static double cost(const std::vector<double>& x, std::vector<double>& gradient, void* data);
};

double LocalSearch::Objective::cost(const std::vector<double>& x, std::vector<double>&,
                                    void* data) {
    Objective& objective = *static_cast<Objective*>(data);
    LocalSearch& search = objective.search;
    // The library catches what the callback throws and returns from its search with it.
    if (search.cancelled()) {
        throw nlopt::forced_stop();
    }
    std::transform(x.begin(), x.end(), objective.values.begin(),
                   [](double value) { return static_cast<float>(value); });
    search.writeValues(objective.values.data());
    const float trialCost = search.evaluationCost();
    const float before = search.bestCost;
    search.consider(objective.values.data(), trialCost);
    if (search.bestCost != before) {
        search.costLine(search.bestCost);
    }
    search.position(NumberText::format("search %d, evaluation %llu of at most %d", objective.run,
                                       search.evaluationCount(), search.budget));
    // Neither a quadratic model nor a simplex can rank a cost that is not a number: the search
    // would carry on from nonsense.
    if (std::isnan(trialCost)) {
        objective.notANumber = true;
        throw nlopt::forced_stop();
    }
    return trialCost;
}

LocalSearch::LocalSearch(Method chosen) : method(chosen) {
    addParameter("budget", std::make_unique<Type_int>(), &budget);
    addParameter("tolerance", std::make_unique<Type_float>(), &tolerance);
}

void LocalSearch::calibrate() {
    note.clear();
    if (!begin()) {
        return;
    }
    costLine(bestCost);
    const std::size_t n = dimension();
    // A budget of one evaluation is spent on the starting values; the library reads a limit of
    // 0 as none.
    if (n > 0 && budget > 1 && !cancelled()) {
        std::vector<double> start(n);
        for (std::size_t i = 0; i < n; ++i) {
            // Values outside a range start from its nearest end; reversed ranges are left for
            // the library to refuse.
            start[i] = lower(i) <= upper(i)
                           ? std::min(std::max(double{startValues[i]}, lower(i)), upper(i))
                           : startValues[i];
        }
        Objective objective{*this, std::vector<float>(n)};
        // A local search ends in the basin it started in. While the budget lasts, later searches
        // start from values drawn uniformly in the ranges, so that a rugged cost (a simulation's)
        // gets the evaluations the user granted and the seed picks which basins are tried.
        for (int run = 1; search(start, objective, run) && !cancelled(); ++run) {
            for (std::size_t i = 0; i < n; ++i) {
                start[i] = lower(i) + NormalDraws::uniform() * (upper(i) - lower(i));
            }
        }
    }
    if (!note.empty() && verbose) {
        out() << "Stopped early: " << note << ".\n";
    }
    finish();
}

bool LocalSearch::search(std::vector<double> x, Objective& objective, int run) {
    const long long left =
        static_cast<long long>(budget) - static_cast<long long>(evaluationCount());
    if (left <= 0) {
        return false;
    }
    objective.run = run;
    const std::size_t n = x.size();
    std::vector<double> lowers(n);
    std::vector<double> uppers(n);
    std::vector<double> steps(n);
    std::vector<double> tolerances(n);
    for (std::size_t i = 0; i < n; ++i) {
        lowers[i] = lower(i);
        uppers[i] = upper(i);
        const double width = std::fabs(upper(i) - lower(i));
        // The library refuses a zero step even for a coordinate whose range is one value, which
        // it then never moves.
        steps[i] = width > 0.0 ? initialStep * width : 1.0;
        tolerances[i] = double{tolerance} * width;
    }
    try {
        nlopt::opt optimiser(method == Method::bobyqa ? nlopt::LN_BOBYQA : nlopt::LN_NELDERMEAD,
                             static_cast<unsigned>(n));
        optimiser.set_lower_bounds(lowers);
        optimiser.set_upper_bounds(uppers);
        optimiser.set_initial_step(steps);
        optimiser.set_xtol_abs(tolerances);
        optimiser.set_maxeval(static_cast<int>(left));
        optimiser.set_min_objective(&Objective::cost, &objective);
        double found = 0.0;
        const unsigned long long before = evaluationCount();
        const nlopt::result ending = optimiser.optimize(x, found);
        // Converged: the rest of the budget goes to another search. A search that reached its
        // limit of evaluations has spent the budget, and one that evaluated nothing (every
        // range a single value) would only repeat itself.
        return ending != nlopt::MAXEVAL_REACHED && evaluationCount() > before;
    } catch (const nlopt::forced_stop&) {
        if (objective.notANumber) {
            note = NumberText::format(
                "evaluation %llu cost no number, which the search cannot compare",
                evaluationCount());
        }
    } catch (const nlopt::roundoff_limited&) {
        note = "rounding errors limited the search's progress";
    } catch (const std::invalid_argument& error) {
        note = std::string("the search refused its arguments (") + error.what() +
               "); every range needs its min at most its max";
    } catch (const std::runtime_error& error) {
        note = std::string("the search failed: ") + error.what();
    }
    return false;
}
