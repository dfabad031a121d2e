#include "data/ParserANA.h"

#include "core/TokenScanner.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

std::string pedestrianKey(const char* prefix, int pedestrian) {
    return prefix + std::to_string(pedestrian + 1);
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

bool ParserANA::fail(std::string message) {
    error = std::move(message);
    valid = false;
    keys.clear();
    text.clear();
    return false;
}

bool ParserANA::load(const std::string& path) {
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        return fail("Cannot open \"" + path + "\": " + std::strerror(errno) + ".");
    }
    std::string content;
    char chunk[65536];
    for (;;) {
        const size_t got = std::fread(chunk, 1, sizeof chunk, file.get());
        content.append(chunk, got);
        if (content.size() > maxFileSize) {
            return fail("\"" + path + "\" is larger than 1 GiB; it is not an ANA file.");
        }
        if (got < sizeof chunk) {
            break;
        }
    }
    if (std::ferror(file.get())) {
        return fail("Cannot read \"" + path + "\": " + std::strerror(errno) + ".");
    }
    if (!loadText(std::move(content))) {
        error = "\"" + path + "\": " + error;
        return false;
    }
    return true;
}

bool ParserANA::loadText(std::string content) {
    if (content.size() > maxFileSize) {
        return fail("The text is larger than 1 GiB; it is not an ANA file.");
    }
    error.clear();
    text = std::move(content);
    tokenize();
    return validate();
}

void ParserANA::tokenize() {
    keys.clear();
    TokenList* current = &keys[std::string()];
    scanTokens(text, [&](size_t start, size_t length) {
        // Letters and every other character above '<' (compared as a signed byte) start a key;
        // a repeated key starts its list anew.
        if (static_cast<signed char>(text[start]) > '<') {
            current = &keys[text.substr(start, length)];
            current->clear();
        } else {
            current->push_back(
                Token{static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(length)});
        }
    });
}

const ParserANA::TokenList* ParserANA::values(const std::string& key) const {
    const auto found = keys.find(key);
    return found == keys.end() ? nullptr : &found->second;
}

bool ParserANA::requireCount(const char* key, bool optional, int& count) {
    const TokenList* list = values(key);
    if (!list) {
        if (optional) {
            count = 0;
            return true;
        }
        return fail(std::string("The key \"") + key + "\" is missing.");
    }
    if (list->empty()) {
        return fail(std::string("The key \"") + key + "\" has no value.");
    }
    // Counts convert as atoi does, but a number beyond the int range is refused instead of
    // wrapping around.
    const char* token = text.c_str() + list->front().offset;
    errno = 0;
    const long long value = std::strtoll(token, nullptr, 10);
    if (value < 0) {
        return fail(std::string("The key \"") + key + "\" holds a negative count (" +
                    std::to_string(value) + ").");
    }
    if (errno == ERANGE || value > INT_MAX) {
        return fail(std::string("The key \"") + key + "\" holds a count that is too large.");
    }
    count = static_cast<int>(value);
    return true;
}

bool ParserANA::requireValues(const std::string& key, std::int64_t needed, const char* what) {
    const TokenList* list = values(key);
    if (!list) {
        return fail("The key \"" + key + "\" is missing (" + what + ").");
    }
    if (static_cast<std::int64_t>(list->size()) < needed) {
        return fail("The key \"" + key + "\" holds " + std::to_string(list->size()) +
                    " values, but " + std::to_string(needed) + " are required (" + what + ").");
    }
    return true;
}

bool ParserANA::validate() {
    valid = false;
    if (!requireCount("nped", false, pedestrians) || !requireCount("nobs", true, obstacles) ||
        !requireCount("nrow", false, frames)) {
        return false;
    }
    const std::int64_t frameValues = frames;
    // Each check stops at the first missing key, so a huge count in a small file is refused
    // after at most as many look-ups as the file has keys, and nothing is allocated for it.
    for (int p = 0; p < pedestrians; ++p) {
        if (!requireValues(pedestrianKey("center_", p), 2 * frameValues, "x and y per frame") ||
            !requireValues(pedestrianKey("ori_center_", p), frameValues, "one per frame") ||
            !requireValues(pedestrianKey("spd_center_", p), frameValues, "one per frame")) {
            return false;
        }
    }
    if (!requireValues("time(s)", frameValues, "one per frame")) {
        return false;
    }
    if (obstacles > 0 &&
        !requireValues("obstacles", 4 * static_cast<std::int64_t>(obstacles), "x1 y1 x2 y2 each")) {
        return false;
    }
    valid = true;
    return true;
}

float ParserANA::real(const TokenList& list, std::int64_t index) const {
    return static_cast<float>(std::atof(text.c_str() + list[static_cast<size_t>(index)].offset));
}

void ParserANA::fill(int& pedestrianCount, int& obstacleCount, int& frameCount,
                     std::vector<float>& posX, std::vector<float>& posY, std::vector<float>& velX,
                     std::vector<float>& velY, std::vector<float>& obstacleX1,
                     std::vector<float>& obstacleY1, std::vector<float>& obstacleX2,
                     std::vector<float>& obstacleY2, std::vector<float>& times, bool&,
                     std::vector<int>&, std::vector<std::vector<float>>&,
                     std::vector<std::vector<float>>&, std::vector<std::vector<float>>&) {
    if (!valid) {
        return;
    }
    const size_t P = static_cast<size_t>(pedestrians);
    const size_t F = static_cast<size_t>(frames);
    const size_t O = static_cast<size_t>(obstacles);
    posX.assign(P * F, 0.0f);
    posY.assign(P * F, 0.0f);
    velX.assign(P * F, 0.0f);
    velY.assign(P * F, 0.0f);
    times.assign(F, 0.0f);
    obstacleX1.assign(O, 0.0f);
    obstacleY1.assign(O, 0.0f);
    obstacleX2.assign(O, 0.0f);
    obstacleY2.assign(O, 0.0f);

    for (size_t p = 0; p < P; ++p) {
        const TokenList& center = *values(pedestrianKey("center_", static_cast<int>(p)));
        const TokenList& direction = *values(pedestrianKey("ori_center_", static_cast<int>(p)));
        const TokenList& speed = *values(pedestrianKey("spd_center_", static_cast<int>(p)));
        for (size_t k = 0; k < F; ++k) {
            const size_t i = p * F + k;
            posX[i] = real(center, 2 * k);
            posY[i] = real(center, 2 * k + 1);
            // The measured velocity is speed × (cos θ, sin θ), the trigonometry in double.
            const float theta = real(direction, k);
            velX[i] = static_cast<float>(std::cos(static_cast<double>(theta)));
            velY[i] = static_cast<float>(std::sin(static_cast<double>(theta)));
            const float s = real(speed, k);
            velX[i] *= s;
            velY[i] *= s;
        }
    }
    const TokenList& timeList = *values("time(s)");
    for (size_t k = 0; k < F; ++k) {
        times[k] = real(timeList, k);
    }
    if (O > 0) {
        const TokenList& segments = *values("obstacles");
        for (size_t i = 0; i < O; ++i) {
            obstacleX1[i] = real(segments, 4 * i);
            obstacleY1[i] = real(segments, 4 * i + 1);
            obstacleX2[i] = real(segments, 4 * i + 2);
            obstacleY2[i] = real(segments, 4 * i + 3);
        }
    }
    pedestrianCount = pedestrians;
    obstacleCount = obstacles;
    frameCount = frames;
}
