#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "data/Parser.h"

/// Reader of ANA trajectory files: free-form text of keys, each followed by its values (counts,
/// per-pedestrian position, direction and speed series, frame times, obstacle segments).
/// A file is accepted only when every key that its counts require is present with enough values.
class ParserANA : public Parser {
public:
    ParserANA() : Parser("ana") {}

    bool load(const std::string& path) override;
    void fill(int& pedestrianCount, int& obstacleCount, int& frameCount, std::vector<float>& posX,
              std::vector<float>& posY, std::vector<float>& velX, std::vector<float>& velY,
              std::vector<float>& obstacleX1, std::vector<float>& obstacleY1,
              std::vector<float>& obstacleX2, std::vector<float>& obstacleY2,
              std::vector<float>& times, bool& timeDriven, std::vector<int>& waypointCount,
              std::vector<std::vector<float>>& waypointRadius,
              std::vector<std::vector<float>>& waypointX,
              std::vector<std::vector<float>>& waypointY) override;

    /// Reads ANA text held in memory; the same as load without the file.
    bool loadText(std::string text);

    /// Largest file that load accepts, in bytes.
    static constexpr std::uint64_t maxFileSize = 1u << 30;

private:
    /// A value token: its place in the text buffer.
    struct Token {
        std::uint32_t offset;
        std::uint32_t length;
    };
    using TokenList = std::vector<Token>;

    void tokenize();
    bool validate();
    const TokenList* values(const std::string& key) const;
    bool requireCount(const char* key, bool optional, int& count);
    bool requireValues(const std::string& key, std::int64_t needed, const char* what);
    float real(const TokenList& list, std::int64_t index) const;
    bool fail(std::string message);

    std::string text;  ///< the whole file, NUL-terminated, which value tokens point into
    std::unordered_map<std::string, TokenList> keys;
    bool valid = false;
    int pedestrians = 0;
    int obstacles = 0;
    int frames = 0;
};
