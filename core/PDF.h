#pragma once

#include <string>

/// A probability distribution of an agent parameter: uniform or normal, limited to a range.
/// A small value object, copied freely.
class PDF {
public:
    enum Kind { UNIFORM = 0, NORMAL = 1 };

    /// Discrete levels of a uniform variate of every distribution built from values.
    static constexpr int defaultLevels = 32767;

    /// An undefined distribution; it draws 0.
    PDF() = default;
    PDF(float minValue, float maxValue, int kindValue, float meanValue, float deviationValue);
    virtual ~PDF() = default;
    PDF(const PDF&) = default;
    PDF& operator=(const PDF&) = default;

    /// One value drawn from the distribution (two generator draws at most).
    float sample() const;
    /// One value from a normal distribution with the given mean and deviation, limited to this
    /// distribution's range.
    float sampleNormal(float meanValue, float deviationValue) const;

    /// The name of a kind ("UNIFORM", "NORMAL"), empty for any other value.
    static std::string kindName(int kindValue);

    float min = 0.0f;        ///< lower end of the range
    float max = 0.0f;        ///< upper end of the range
    float mean = 0.0f;       ///< mean of the normal kind
    float deviation = 0.0f;  ///< standard deviation of the normal kind
    int levels = -1;         ///< levels of a uniform variate; -1 marks an undefined distribution
    int kind = UNIFORM;

private:
    float uniformVariate() const;
    float limitToRange(float value) const;
};
