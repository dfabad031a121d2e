#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/Segment.h"
#include "data/Parser.h"
#include "data/TextFile.h"

/// Reader of ANA trajectory files: free-form text of keys, each followed by its values (counts,
/// per-pedestrian position, direction and speed series, frame times, obstacle segments).
/// A file is accepted only when every key that its counts require is present with enough values.
///
/// An optional key "present_%d FIRST LAST" (frame indices, pedestrian numbers from 1 as for
/// "center_%d") says that the pedestrian is present on those frames only. Its series keep a
/// value for every frame, so that readers that do not know the key still accept the file, and
/// the samples keep the plain layout (pedestrian p at frame k at p × frames + k).
class ParserANA : public Parser {
public:
    ParserANA() : Parser("ana") {}

    /// ANA files state their own frame times and lengths; options that would change them are
    /// not applied, and a note says so.
    void setReadingOptions(const ReadingOptions& options) override;
    bool load(const std::string& path) override;
    void fill(ExperimentData& data) override;
    void fillPresence(std::vector<int>& presentFirst, std::vector<int>& presentLast,
                      std::vector<std::ptrdiff_t>& sampleBase) override;

    void fillDirections(std::vector<float>& directions, std::vector<float>& speeds) override;

    /// Reads ANA text held in memory; the same as load without the file.
    bool loadText(std::string text);

    /// Largest file that load accepts, in bytes.
    static constexpr std::uint64_t maxFileSize = TextFile::maxSize;

private:
    /// The keys the reader uses; every other key and its values are skipped while reading, so
    /// a hostile file of many unknown keys costs no memory beyond its text.
    enum class Key : std::uint64_t {
        NPED,
        NOBS,
        NROW,
        TIME,
        OBSTACLES,
        CENTER,
        DIRECTION,
        SPEED,
        PRESENT
    };
    /// A value token, by its offset in the text; it ends at the next white space.
    using TokenList = std::vector<std::uint32_t>;

    static std::uint64_t keyCode(Key key, std::uint32_t pedestrianNumber = 0) {
        return (static_cast<std::uint64_t>(key) << 32) | pedestrianNumber;
    }
    /// The code of a key token, or false for a key the reader does not use.
    static bool classify(const char* token, size_t length, std::uint64_t& code);

    void tokenize();
    bool validate();
    const TokenList* values(std::uint64_t code) const;
    bool requireCount(Key key, const char* keyName, bool optional, int& count);
    bool requireValues(Key key, int pedestrian, std::int64_t needed, const char* what);
    bool readPresence();
    /// Parses every value into the arrays, refusing what is not finite or lies beyond the
    /// recording limits, so that fill cannot hand over a value that no run can use.
    bool readValues();
    /// Parses `count` values of a key, every `stride`-th from value `first`, into `store`;
    /// fails, naming the key, the value and its line, at one that is not finite or whose size
    /// exceeds `limit`.
    bool readSeries(Key key, int pedestrian, std::int64_t count, std::int64_t stride,
                    std::int64_t first, double limit, const char* limitText,
                    const std::function<void(std::int64_t, double)>& store);
    /// Line of the text (from 1) on which the byte at `offset` stands.
    std::uint32_t lineOf(std::uint32_t offset) const;
    bool fail(std::string message);

    std::string text;  ///< the whole file, NUL-terminated, which value tokens point into
    std::unordered_map<std::uint64_t, TokenList> keys;
    bool valid = false;
    int pedestrians = 0;
    int obstacles = 0;
    int frames = 0;
    /// Frames on which each pedestrian is present; empty when no "present_%d" key was given.
    std::vector<int> presentFirst, presentLast;
    std::vector<std::string> ignoredOptions;
    /// The values, read by validate and handed over by fill and fillDirections.
    std::vector<float> posX, posY, directions, speeds, times;
    std::vector<Segment> segments;
};
