#pragma once

/// Tolerance of the engine's near-parallel and near-collinear tests (dimensionless for unit
/// directions, square metres for the side tests of obstacle edges). Raising it merges more
/// almost-parallel constraints and splits fewer obstacle edges; lowering it lets rounding decide.
constexpr float orcaEpsilon = 1e-5f;
