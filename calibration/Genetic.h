#pragma once

#include <algorithm>
#include <vector>

#include "calibration/Calibration.h"

/// Calibrates all values at once with a population of complete parameter sets (genomes in the
/// layout of the parameter matrix). The n best of each generation are kept unchanged; every
/// other genome is rebuilt gene by gene from the elites or the distributions. Ends when the best
/// cost has stayed the same for `loops` generations.
class Genetic : public Calibration {
public:
    Genetic();
    void calibrate() override;
    bool evaluatesInParallel() const override { return true; }
    /// A generation: the first one evaluates every genome.
    int mostEvaluationsAtOnce() const override { return std::max(N, 1); }

    /// Sorts order[lo..hi] by ascending cost. The partition scheme decides which of several
    /// equal costs rank first, and so which genomes become elites.
    static void rankSort(std::vector<int>& order, const std::vector<float>& costs, int lo, int hi);

    int N = 100;     ///< population size, at least 1
    int n = 20;      ///< elites kept each generation, 1 to N
    float a = 0.6f;  ///< probability that a gene of a rebuilt genome is replaced
    float b = 0.7f;  ///< probability that a replaced gene is copied from a random elite
    float c = 0.8f;  ///< probability that a gene not copied is drawn from the elite-fitted normal
    int loops = 30;  ///< generations with an unchanged best cost that end the search

protected:
    void clampSettings() override;

private:
    struct Run;
    /// Sizes the working storage of a run, or refuses the run (failure says why) when it is more
    /// than the machine's memory or cannot be had.
    bool allocate(Run& run);
    void rebuild(Run& run, int genome) const;
};
