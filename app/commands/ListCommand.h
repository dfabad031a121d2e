#pragma once

#include <iosfwd>

/// `vestra-batch list`: the models, metrics and calibration algorithms by display name, each
/// with its parameters, their types and default values.
class ListCommand {
public:
    explicit ListCommand(std::ostream& out) : out(out) {}

    /// Prints the lists; always succeeds.
    int run();

private:
    std::ostream& out;
};
