#pragma once

#include <cstddef>
#include <list>
#include <memory>

#include "python/PreparedEvaluation.h"

/// The last few evaluations prepared over one experiment, so that a script that evaluates the
/// same set-up again and again pays for building its record once. Used with the interpreter's
/// lock held; an evaluation is taken out while it runs, so two threads never share one.
class KeptEvaluations {
public:
    /// Set-ups kept: a script alternating between a few models or metrics keeps them all, and
    /// one sweeping a setting holds no more than this many records.
    static constexpr std::size_t most = 4;

    /// The kept evaluation of `key`, removed from the kept ones; null when none is kept.
    std::unique_ptr<PreparedEvaluation> take(const PreparedEvaluation::Key& key);
    /// Keeps `evaluation` as the most recent, dropping the least recent beyond `most`.
    void keep(std::unique_ptr<PreparedEvaluation> evaluation);

private:
    std::list<std::unique_ptr<PreparedEvaluation>> kept;  ///< the most recent first
};
