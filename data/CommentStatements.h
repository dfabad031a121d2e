#pragma once

#include <cstdint>
#include <string>
#include <string_view>

/// What the comments of a recording say about its frame rate and length unit. Recording tools
/// write both in free words ("# framerate: 16 fps", "# id frame x/cm y/cm", "# all lengths in
/// mm"), so any comment that names a frame rate together with a number, or a length unit after
/// "/", "in", "[" or "(" (or as "cm", "mm" or a spelled-out unit anywhere), is a statement.
class CommentStatements {
public:
    /// Reads one comment (the text after "#") found on `line` of the file.
    void read(std::string_view comment, std::uint32_t line);

    /// The stated frames per second and metres per length unit, 0 when nothing was stated.
    /// False, with `error` naming both lines, when two comments disagree, or naming the line
    /// when a comment states a frame rate that is not wholly a number within the recording
    /// limits.
    bool framesPerSecond(double& value, std::string& error) const;
    bool metresPerUnit(double& value, std::string& error) const;

    /// Metres per unit named by a unit word ("m", "cm", "millimetres", ...; lower case), or 0.
    static double unitWord(std::string_view word, bool bareMetreAllowed);

private:
    struct Statement {
        double value = 0.0;
        std::uint32_t line = 0;
        double otherValue = 0.0;  ///< a second, different statement, if any
        std::uint32_t otherLine = 0;

        void add(double stated, std::uint32_t at);
        bool result(double& out, std::string& error, const char* what, const char* unit) const;
    };

    Statement rate;
    Statement unit;
    std::string badRate;  ///< the first frame rate stated in a form that is not read
    std::uint32_t badRateLine = 0;
};
