#include "ui/AxisTicks.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdlib>

namespace {

// A round number whole × 10^exponent. Multiples of a step are taken in whole numbers and scaled
// by an exact power of ten once, so that the third tick of 0.1 is the double nearest 0.3 and
// not 0.30000000000000004, and its label has exactly the step's decimals.
struct Round {
    long long whole = 1;
    int exponent = 0;
};

double scaled(double whole, int exponent) {
    const double power = std::pow(10.0, std::abs(exponent));
    return exponent >= 0 ? whole * power : whole / power;
}

double valueOf(const Round& r) {
    return scaled(static_cast<double>(r.whole), r.exponent);
}

// Steps within a decade, in tenths of the decade's power: 1, 2, 2.5 and 5.
constexpr long long stepTenths[] = {10, 20, 25, 50};

// The smallest step of 1, 2, 2.5 or 5 × 10^k that is at least `size`.
Round stepAtLeast(double size) {
    assert(size > 0.0 && std::isfinite(size));
    for (int decade = static_cast<int>(std::floor(std::log10(size)));; ++decade) {
        for (const long long tenths : stepTenths) {
            Round step{tenths, decade - 1};
            // Trailing zeros would ask for decimals the labels do not need.
            while (step.whole % 10 == 0) {
                step.whole /= 10;
                ++step.exponent;
            }
            if (valueOf(step) >= size * (1.0 - 1e-12)) {
                return step;
            }
        }
    }
}

// Quotients that are whole numbers up to rounding count as whole, so that a range that ends on
// a tick does not gain another one.
bool nearlyWhole(double q) {
    return std::fabs(q - std::round(q)) <= 1e-9 * std::max(1.0, std::fabs(q));
}
long long wholeAtOrBelow(double q) {
    return static_cast<long long>(nearlyWhole(q) ? std::round(q) : std::floor(q));
}
long long wholeAtOrAbove(double q) {
    return static_cast<long long>(nearlyWhole(q) ? std::round(q) : std::ceil(q));
}

int digitsOf(long long whole) {
    int digits = 1;
    for (long long rest = std::llabs(whole); rest >= 10; rest /= 10) {
        ++digits;
    }
    return digits;
}

// Fixed decimals where that reads at once (0.0001, 0.10578, 2500); the exponent form for more
// zeros after the point or before it (1e-05, 1e+08), with every digit of the whole number, which
// still tells neighbouring ticks apart.
QString labelOf(const Round& r) {
    const double value = valueOf(r);
    const int decimals = std::max(0, -r.exponent);
    const int zerosAfterPoint = decimals - digitsOf(r.whole);
    if (zerosAfterPoint <= 3 && std::fabs(value) < 1e7) {
        return QString::number(value, 'f', decimals);
    }
    return QString::number(value, 'g', digitsOf(r.whole));
}

AxisTicks ticksAt(double minimum, double maximum, const std::vector<Round>& rounds) {
    AxisTicks ticks;
    ticks.minimum = minimum;
    ticks.maximum = maximum;
    for (const Round& r : rounds) {
        ticks.values.push_back(valueOf(r));
        ticks.labels << labelOf(r);
    }
    return ticks;
}

// The multiples of `step` from `first` to `last`, each with the step's exponent.
std::vector<Round> multiples(const Round& step, long long first, long long last) {
    std::vector<Round> rounds;
    for (long long k = first; k <= last; ++k) {
        rounds.push_back(Round{k * step.whole, step.exponent});
    }
    return rounds;
}

}  // namespace

AxisTicks AxisTicks::linear(double low, double high, int most, double finest) {
    assert(most >= 2);
    if (!std::isfinite(low) || !std::isfinite(high) || low > high) {
        low = 0.0;
        high = 1.0;
    }
    // A single value gets room around it, so that it lies between labelled ticks.
    if (high - low <= 1e-12 * std::max(std::fabs(low), std::fabs(high))) {
        const double margin = low != 0.0 ? 0.05 * std::fabs(low) : 1.0;
        low -= margin;
        high += margin;
    }
    for (Round step = stepAtLeast(std::max((high - low) / (most - 1), finest));;
         step = stepAtLeast(valueOf(step) * 1.01)) {
        const long long first = wholeAtOrBelow(low / valueOf(step));
        const long long last = wholeAtOrAbove(high / valueOf(step));
        if (last - first + 1 <= most) {
            const std::vector<Round> rounds = multiples(step, first, last);
            return ticksAt(valueOf(rounds.front()), valueOf(rounds.back()), rounds);
        }
    }
}

AxisTicks AxisTicks::logarithmic(double low, double high, int most) {
    assert(most >= 3);
    if (!(low > 0.0) || !std::isfinite(high) || high < low) {
        low = 1.0;
        high = 10.0;
    }
    // Room of a twentieth of the range on either side (about 5 % around a single value), so
    // that the extreme points do not sit on the frame.
    const double decades = std::log10(high / low);
    const double room = std::pow(10.0, decades > 1e-12 ? decades / 20.0 : 0.02);
    const double minimum = low / room;
    const double maximum = high * room;
    const auto within = [&](const Round& r) {
        return valueOf(r) >= minimum && valueOf(r) <= maximum;
    };
    const int lowDecade = static_cast<int>(std::floor(std::log10(minimum)));
    const int highDecade = static_cast<int>(std::ceil(std::log10(maximum)));

    std::vector<Round> powers;
    for (const int every : {1, 2, 5, 10, 20, 50, 100}) {
        powers.clear();
        for (int e = lowDecade; e <= highDecade; ++e) {
            if (e % every == 0 && within(Round{1, e})) {
                powers.push_back(Round{1, e});
            }
        }
        if (static_cast<int>(powers.size()) <= most) {
            break;
        }
    }
    if (powers.size() >= 3) {
        return ticksAt(minimum, maximum, powers);
    }
    std::vector<Round> oneTwoFive;
    for (int e = lowDecade; e <= highDecade; ++e) {
        for (const long long whole : {1, 2, 5}) {
            if (within(Round{whole, e})) {
                oneTwoFive.push_back(Round{whole, e});
            }
        }
    }
    if (oneTwoFive.size() >= 3 && static_cast<int>(oneTwoFive.size()) <= most) {
        return ticksAt(minimum, maximum, oneTwoFive);
    }
    if (powers.size() >= 2) {
        return ticksAt(minimum, maximum, powers);
    }
    // Within about a decade the logarithm is nearly straight, and round linear steps read best.
    // The axis then ends on ticks as a linear one does, unless that would take it down to zero.
    const AxisTicks straight = linear(low, high, most);
    if (straight.minimum > 0.0) {
        return straight;
    }
    for (Round step = stepAtLeast((maximum - minimum) / (most - 1));;
         step = stepAtLeast(valueOf(step) / 2.0)) {
        const long long first = std::max(1LL, wholeAtOrAbove(minimum / valueOf(step)));
        const long long last = wholeAtOrBelow(maximum / valueOf(step));
        if (last - first + 1 >= 3) {
            return ticksAt(minimum, maximum, multiples(step, first, last));
        }
    }
}
