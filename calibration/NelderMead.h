#pragma once

#include "calibration/LocalSearch.h"

/// The Nelder-Mead simplex search: n + 1 points reflected, expanded and contracted away from the
/// worst, kept within the ranges.
class NelderMead : public LocalSearch {
public:
    NelderMead() : LocalSearch(Method::nelderMead) { name = "Nelder-Mead"; }
};
