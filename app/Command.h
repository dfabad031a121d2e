#pragma once

/// The commands of vestra-batch, each a bit, so that an option names its commands as a set.
enum class Command : unsigned {
    list = 1u << 0,
    info = 1u << 1,
    evaluate = 1u << 2,
    calibrate = 1u << 3,
    convert = 1u << 4,
    sweep = 1u << 5,
    collect = 1u << 6,
    help = 1u << 7,
    crossval = 1u << 8,
    simulate = 1u << 9,
    analyse = 1u << 10,
};

/// A set of commands, such as those that take an option.
class CommandSet {
public:
    constexpr CommandSet() = default;
    constexpr CommandSet(Command command) : bits(static_cast<unsigned>(command)) {}

    /// This set and `other` together.
    constexpr CommandSet operator|(CommandSet other) const { return CommandSet(bits | other.bits); }
    /// True when `command` is in the set.
    constexpr bool has(Command command) const {
        return (bits & static_cast<unsigned>(command)) != 0u;
    }
    constexpr bool operator==(CommandSet other) const { return bits == other.bits; }

private:
    constexpr explicit CommandSet(unsigned bits) : bits(bits) {}

    unsigned bits = 0;
};

/// The set of two commands.
constexpr CommandSet operator|(Command first, Command second) {
    return CommandSet(first) | CommandSet(second);
}
