#pragma once

// Eigen's dense matrices and its symmetric eigen-solver. Eigen 3.4's matrix-vector kernels leave
// a result buffer uninitialised on a path that GCC 12 cannot rule out, so -Wmaybe-uninitialized
// fires inside Eigen's headers whenever they are not included as system headers; the warning
// concerns Eigen's code, not ours, and is silenced for these headers alone.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <Eigen/Dense>
#include <Eigen/Eigenvalues>
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
