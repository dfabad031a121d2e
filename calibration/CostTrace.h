#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

/// The costs of a calibration's evaluations in order, each with the best cost so far, written as
/// CSV ("evaluation,cost,best"). A cost that is not a number is best only until a number comes.
class AtomicFile;

class CostTrace {
public:
    void add(float cost);
    std::size_t size() const { return rows.size(); }
    float bestCost() const { return best; }
    /// Evaluation i's cost and the best cost up to it.
    const std::pair<float, float>& row(std::size_t i) const { return rows[i]; }
    /// Writes the CSV file atomically; false, with `error`, on failure.
    bool write(const std::string& path, std::string& error) const;
    /// Writes the CSV into `out` and finishes it without replacing the target.
    bool write(AtomicFile& out, std::string& error) const;

private:
    std::vector<std::pair<float, float>> rows;  ///< cost, best so far
    float best = 0.0f;
};
