#pragma once

#include <cstdint>
#include <string>

class Experiment;

/// Writes an experiment as an ANA file that the ANA reader reads back to the same experiment
/// (bit for bit when the experiment keeps its velocities' directions and speeds, as those read
/// from files do; otherwise the nearest direction and speed are written).
/// Pedestrians who come and go get "present_N FIRST LAST" keys, and their absent frames hold
/// padding (the nearest measured position, standing still), so that readers that do not know
/// the key still accept the file. Written atomically; false, with `error`, on failure, and
/// without writing anything when the file would be larger than the ANA reader accepts.
bool writeAna(const Experiment& experiment, const std::string& path, std::string& error);

/// The bytes that writeAna writes for `experiment`, worked out at the cost of its samples, not
/// of its padded pedestrians × frames.
std::uint64_t anaFileSize(const Experiment& experiment);
