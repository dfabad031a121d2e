#include "data/ParserANA.h"

#include "core/NumberText.h"
#include "core/TextEncoding.h"
#include "core/TokenScanner.h"
#include "data/ExperimentData.h"
#include "data/PolarVelocity.h"
#include "data/ReadingOptions.h"
#include "data/RecordingLimits.h"
#include "data/TextFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>

namespace {

struct KeyName {
    const char* text;
    bool numbered;  ///< followed by a pedestrian number counted from 1
};

// Indexed by ParserANA::Key.
const KeyName keyNames[] = {{"nped", false},       {"nobs", false},       {"nrow", false},
                            {"time(s)", false},    {"obstacles", false},  {"center_", true},
                            {"ori_center_", true}, {"spd_center_", true}, {"present_", true}};

std::string keyText(size_t key, int pedestrian) {
    return keyNames[key].numbered ? keyNames[key].text + std::to_string(pedestrian + 1)
                                  : keyNames[key].text;
}

}  // namespace

bool ParserANA::classify(const char* token, size_t length, std::uint64_t& code) {
    for (size_t k = 0; k < sizeof keyNames / sizeof keyNames[0]; ++k) {
        const size_t nameLength = std::strlen(keyNames[k].text);
        if (length < nameLength || std::memcmp(token, keyNames[k].text, nameLength) != 0) {
            continue;
        }
        if (!keyNames[k].numbered) {
            if (length != nameLength) {
                continue;
            }
            code = keyCode(static_cast<Key>(k));
            return true;
        }
        // Only the plain decimal form names a pedestrian: center_01 is another, unused key.
        const size_t digits = length - nameLength;
        const char* number = token + nameLength;
        if (digits == 0 || digits > 10 || number[0] == '0') {
            return false;
        }
        std::uint64_t value = 0;
        for (size_t i = 0; i < digits; ++i) {
            if (number[i] < '0' || number[i] > '9') {
                return false;
            }
            value = value * 10 + static_cast<std::uint64_t>(number[i] - '0');
        }
        if (value > INT_MAX) {
            return false;
        }
        code = keyCode(static_cast<Key>(k), static_cast<std::uint32_t>(value));
        return true;
    }
    return false;
}

bool ParserANA::fail(std::string message) {
    error = std::move(message);
    valid = false;
    keys.clear();
    text.clear();
    presentFirst.clear();
    presentLast.clear();
    for (std::vector<float>* array : {&posX, &posY, &directions, &speeds, &times}) {
        std::vector<float>().swap(*array);
    }
    std::vector<Segment>().swap(segments);
    return false;
}

void ParserANA::setReadingOptions(const ReadingOptions& options) {
    ignoredOptions.clear();
    if (options.framesPerSecond > 0.0) {
        ignoredOptions.push_back("--fps");
    }
    if (options.metresPerUnit > 0.0) {
        ignoredOptions.push_back("--unit");
    }
    if (options.stride != 1) {
        ignoredOptions.push_back("--stride");
    }
    if (!std::isnan(options.from) || !std::isnan(options.to)) {
        ignoredOptions.push_back("--from/--to");
    }
}

bool ParserANA::load(const std::string& path) {
    std::string content;
    std::string message;
    if (!TextFile::read(path, "an ANA file", content, message)) {
        return fail(std::move(message));
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
    std::string encodingError;
    if (!TextEncoding::toUtf8Lines(content, encodingError)) {
        return fail(std::move(encodingError));
    }
    text = std::move(content);
    tokenize();
    return validate();
}

void ParserANA::tokenize() {
    keys.clear();
    TokenList* current = nullptr;  // values before the first key, or of unused keys, are skipped
    scanTokens(text, [&](size_t start, size_t length) {
        // Letters and every other character above '<' (compared as a signed byte) start a key;
        // a repeated key starts its list anew.
        if (static_cast<signed char>(text[start]) > '<') {
            std::uint64_t code = 0;
            current = classify(text.data() + start, length, code) ? &keys[code] : nullptr;
            if (current) {
                current->clear();
            }
        } else if (current) {
            current->push_back(static_cast<std::uint32_t>(start));
        }
    });
}

const ParserANA::TokenList* ParserANA::values(std::uint64_t code) const {
    const auto found = keys.find(code);
    return found == keys.end() ? nullptr : &found->second;
}

bool ParserANA::requireCount(Key key, const char* keyName, bool optional, int& count) {
    const TokenList* list = values(keyCode(key));
    if (!list) {
        if (optional) {
            count = 0;
            return true;
        }
        return fail(std::string("The key \"") + keyName + "\" is missing.");
    }
    if (list->empty()) {
        return fail(std::string("The key \"") + keyName + "\" has no value.");
    }
    // Counts convert as atoi does, but a number beyond the int range is refused instead of
    // wrapping around.
    const char* token = text.c_str() + list->front();
    errno = 0;
    const long long value = std::strtoll(token, nullptr, 10);
    if (value < 0) {
        return fail(std::string("The key \"") + keyName + "\" holds a negative count (" +
                    std::to_string(value) + ").");
    }
    if (errno == ERANGE || value > INT_MAX) {
        return fail(std::string("The key \"") + keyName + "\" holds a count that is too large.");
    }
    count = static_cast<int>(value);
    return true;
}

bool ParserANA::requireValues(Key key, int pedestrian, std::int64_t needed, const char* what) {
    const bool numbered = keyNames[static_cast<size_t>(key)].numbered;
    const TokenList* list =
        values(keyCode(key, numbered ? static_cast<std::uint32_t>(pedestrian + 1) : 0));
    const std::string name = keyText(static_cast<size_t>(key), pedestrian);
    if (!list) {
        return fail("The key \"" + name + "\" is missing (" + what + ").");
    }
    if (static_cast<std::int64_t>(list->size()) < needed) {
        return fail("The key \"" + name + "\" holds " + std::to_string(list->size()) +
                    " values, but " + std::to_string(needed) + " are required (" + what + ").");
    }
    return true;
}

bool ParserANA::validate() {
    valid = false;
    if (!requireCount(Key::NPED, "nped", false, pedestrians) ||
        !requireCount(Key::NOBS, "nobs", true, obstacles) ||
        !requireCount(Key::NROW, "nrow", false, frames)) {
        return false;
    }
    const std::int64_t frameValues = frames;
    // Each check stops at the first missing key, so a huge count in a small file is refused
    // after at most as many look-ups as the file has keys, and nothing is allocated for it.
    for (int p = 0; p < pedestrians; ++p) {
        if (!requireValues(Key::CENTER, p, 2 * frameValues, "x and y per frame") ||
            !requireValues(Key::DIRECTION, p, frameValues, "one per frame") ||
            !requireValues(Key::SPEED, p, frameValues, "one per frame")) {
            return false;
        }
    }
    if (!requireValues(Key::TIME, 0, frameValues, "one per frame")) {
        return false;
    }
    if (obstacles > 0 && !requireValues(Key::OBSTACLES, 0, 4 * static_cast<std::int64_t>(obstacles),
                                        "x1 y1 x2 y2 each")) {
        return false;
    }
    if (!readPresence() || !readValues()) {
        return false;
    }
    remarks.clear();
    if (!ignoredOptions.empty()) {
        std::string list;
        for (const std::string& option : ignoredOptions) {
            list += (list.empty() ? "" : ", ") + option;
        }
        remarks.push_back("ANA files state their own frame times and lengths, so " + list +
                          " did not change them.");
    }
    valid = true;
    return true;
}

bool ParserANA::readPresence() {
    presentFirst.clear();
    presentLast.clear();
    // Only the keys present in the file are looked at, so a huge pedestrian count costs nothing
    // here, and a key beyond the count is ignored like any other unused key.
    std::vector<std::pair<int, const TokenList*>> given;
    for (const auto& entry : keys) {
        const std::uint32_t number = static_cast<std::uint32_t>(entry.first & 0xFFFFFFFFu);
        if (entry.first >> 32 == static_cast<std::uint64_t>(Key::PRESENT) && number >= 1 &&
            number <= static_cast<std::uint32_t>(pedestrians)) {
            given.emplace_back(static_cast<int>(number) - 1, &entry.second);
        }
    }
    if (given.empty()) {
        return true;
    }
    // The table's order is arbitrary; the first bad key named must not be.
    std::sort(given.begin(), given.end());
    presentFirst.assign(static_cast<size_t>(pedestrians), 0);
    presentLast.assign(static_cast<size_t>(pedestrians), frames - 1);
    for (const auto& [pedestrian, list] : given) {
        const std::string name = keyText(static_cast<size_t>(Key::PRESENT), pedestrian);
        if (list->size() < 2) {
            return fail("The key \"" + name + "\" holds " + std::to_string(list->size()) +
                        " values, but 2 are required (first and last frame).");
        }
        long long bounds[2] = {};
        for (int i = 0; i < 2; ++i) {
            const char* token = text.c_str() + (*list)[static_cast<size_t>(i)];
            size_t length = 0;
            while (token[length] != '\0' &&
                   !std::isspace(static_cast<unsigned char>(token[length]))) {
                ++length;
            }
            const std::string value(token, length);
            if (!NumberText::isCompleteInt(value)) {
                return fail("The key \"" + name + "\" holds \"" + TextEncoding::printable(value) +
                            "\", which is not a frame index.");
            }
            bounds[i] = std::strtoll(value.c_str(), nullptr, 10);
        }
        if (bounds[0] < 0 || bounds[0] > bounds[1] || bounds[1] >= frames) {
            return fail("The key \"" + name + "\" gives frames " + std::to_string(bounds[0]) +
                        " to " + std::to_string(bounds[1]) + ", but they must satisfy 0 <= " +
                        "first <= last < nrow (" + std::to_string(frames) + ").");
        }
        presentFirst[static_cast<size_t>(pedestrian)] = static_cast<int>(bounds[0]);
        presentLast[static_cast<size_t>(pedestrian)] = static_cast<int>(bounds[1]);
    }
    return true;
}

std::uint32_t ParserANA::lineOf(std::uint32_t offset) const {
    return static_cast<std::uint32_t>(
               std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(offset), '\n')) +
           1;
}

bool ParserANA::readSeries(Key key, int pedestrian, std::int64_t count, std::int64_t stride,
                           std::int64_t first, double limit, const char* limitText,
                           const std::function<void(std::int64_t, double)>& store) {
    const bool numbered = keyNames[static_cast<size_t>(key)].numbered;
    const TokenList& list =
        *values(keyCode(key, numbered ? static_cast<std::uint32_t>(pedestrian + 1) : 0));
    for (std::int64_t n = 0; n < count; ++n) {
        const std::int64_t index = first + n * stride;
        const std::uint32_t offset = list[static_cast<size_t>(index)];
        const double value = NumberText::toDouble(text.c_str() + offset);
        if (std::isfinite(static_cast<float>(value)) && !(std::fabs(value) > limit)) {
            store(n, value);
            continue;
        }
        const char* end = text.c_str() + offset;
        while (*end != '\0' && !std::isspace(static_cast<unsigned char>(*end))) {
            ++end;
        }
        const std::string token(text.c_str() + offset, end);
        const std::string problem =
            std::isfinite(static_cast<float>(value))
                ? std::string(", beyond ") + limitText + ", which no recording of pedestrians holds"
                : ", which is not a finite number";
        return fail("Line " + std::to_string(lineOf(offset)) + ": the key \"" +
                    keyText(static_cast<size_t>(key), pedestrian) + "\" holds \"" +
                    TextEncoding::printable(token) + "\" (value " + std::to_string(index + 1) +
                    ")" + problem + ".");
    }
    return true;
}

bool ParserANA::readValues() {
    const size_t P = static_cast<size_t>(pedestrians);
    const size_t F = static_cast<size_t>(frames);
    const size_t O = static_cast<size_t>(obstacles);
    const double any = std::numeric_limits<double>::infinity();
    const auto into = [](std::vector<float>& array, size_t base) {
        return [&array, base](std::int64_t n, double value) {
            array[base + static_cast<size_t>(n)] = static_cast<float>(value);
        };
    };
    posX.assign(P * F, 0.0f);
    posY.assign(P * F, 0.0f);
    directions.assign(P * F, 0.0f);
    speeds.assign(P * F, 0.0f);
    const std::int64_t frameValues = frames;
    for (size_t p = 0; p < P; ++p) {
        const int pedestrian = static_cast<int>(p);
        if (!readSeries(Key::CENTER, pedestrian, frameValues, 2, 0,
                        RecordingLimits::largestCoordinate, RecordingLimits::coordinateText,
                        into(posX, p * F)) ||
            !readSeries(Key::CENTER, pedestrian, frameValues, 2, 1,
                        RecordingLimits::largestCoordinate, RecordingLimits::coordinateText,
                        into(posY, p * F)) ||
            !readSeries(Key::DIRECTION, pedestrian, frameValues, 1, 0, any, "",
                        into(directions, p * F)) ||
            !readSeries(Key::SPEED, pedestrian, frameValues, 1, 0, RecordingLimits::largestSpeed,
                        RecordingLimits::speedText, into(speeds, p * F))) {
            return false;
        }
    }
    // Frame times count from the first frame: a float holds a clock that started long ago only
    // to whole seconds or worse, and a run must not step differently for where it started.
    std::vector<double> clock(F);
    if (!readSeries(Key::TIME, 0, frameValues, 1, 0, any, "",
                    [&](std::int64_t n, double value) { clock[static_cast<size_t>(n)] = value; })) {
        return false;
    }
    times.assign(F, 0.0f);
    for (size_t k = 0; k < F; ++k) {
        const double step = k > 0 ? clock[k] - clock[k - 1] : 0.0;
        if (step < 0.0 || step > RecordingLimits::longestFrameStep) {
            return fail(NumberText::format(
                "The key \"time(s)\" steps from %g s to %g s at frame %zu; frame times must not "
                "decrease, nor lie more than %g s apart (frame rates of %s).",
                clock[k - 1], clock[k], k, RecordingLimits::longestFrameStep,
                RecordingLimits::frameRateText));
        }
        times[k] = static_cast<float>(clock[k] - clock[0]);
    }
    segments.assign(O, Segment());
    // Corner by corner (every x1, then every y1, ...): of several bad values, a message names
    // the first in this order.
    float Segment::*const corners[] = {&Segment::x1, &Segment::y1, &Segment::x2, &Segment::y2};
    for (std::int64_t c = 0; c < 4 && O > 0; ++c) {
        float Segment::*const corner = corners[c];
        if (!readSeries(Key::OBSTACLES, 0, obstacles, 4, c, RecordingLimits::largestCoordinate,
                        RecordingLimits::coordinateText, [&](std::int64_t n, double value) {
                            segments[static_cast<size_t>(n)].*corner = static_cast<float>(value);
                        })) {
            return false;
        }
    }
    return true;
}

void ParserANA::fill(ExperimentData& data) {
    if (!valid) {
        return;
    }
    data.velX.assign(directions.size(), 0.0f);
    data.velY.assign(directions.size(), 0.0f);
    for (size_t i = 0; i < directions.size(); ++i) {
        PolarVelocity::toVelocity(directions[i], speeds[i], data.velX[i], data.velY[i]);
    }
    data.posX = std::move(posX);
    data.posY = std::move(posY);
    data.times = std::move(times);
    data.obstacles = std::move(segments);
    data.pedestrianCount = pedestrians;
    data.frameCount = frames;
}

void ParserANA::fillPresence(std::vector<int>& first, std::vector<int>& last,
                             std::vector<std::ptrdiff_t>& sampleBase) {
    if (!valid || presentFirst.empty()) {
        return;
    }
    first = presentFirst;
    last = presentLast;
    sampleBase.resize(presentFirst.size());
    for (size_t p = 0; p < sampleBase.size(); ++p) {
        sampleBase[p] = static_cast<std::ptrdiff_t>(p) * frames;
    }
}

void ParserANA::fillDirections(std::vector<float>& directionsOut, std::vector<float>& speedsOut) {
    if (!valid) {
        return;
    }
    directionsOut = std::move(directions);
    speedsOut = std::move(speeds);
}
