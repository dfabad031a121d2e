#pragma once

#include "calibration/LocalSearch.h"

/// Powell's bound-constrained search by quadratic models (BOBYQA): it fits a quadratic to 2n + 1
/// interpolation points and steps within a trust region that shrinks as the model fits.
class Bobyqa : public LocalSearch {
public:
    Bobyqa() : LocalSearch(Method::bobyqa) { name = "BOBYQA"; }
};
