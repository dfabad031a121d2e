#include "data/ParserTrajnet.h"

namespace {

/// Nesting that a scene row's values may have; deeper text is refused rather than followed.
constexpr int deepestValue = 16;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

void ParserTrajnet::Scan::blanks() {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) {
        ++at;
    }
}

bool ParserTrajnet::Scan::take(char c) {
    blanks();
    if (at < line.size() && line[at] == c) {
        ++at;
        return true;
    }
    return false;
}

bool ParserTrajnet::Scan::string(std::string_view& content) {
    if (!take('"')) {
        return false;
    }
    const size_t start = at;
    for (; at < line.size(); ++at) {
        const unsigned char c = static_cast<unsigned char>(line[at]);
        if (c < 0x20) {
            return false;
        }
        if (c == '\\') {
            ++at;  // an escaped character never ends the string
            if (at >= line.size()) {
                return false;
            }
        } else if (c == '"') {
            content = line.substr(start, at - start);
            ++at;
            return true;
        }
    }
    return false;
}

// A number in the JSON grammar: -?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?
bool ParserTrajnet::Scan::number(std::string_view& text) {
    blanks();
    const size_t start = at;
    const auto digits = [&] {
        const size_t first = at;
        while (at < line.size() && isDigit(line[at])) {
            ++at;
        }
        return at > first;
    };
    if (at < line.size() && line[at] == '-') {
        ++at;
    }
    if (at < line.size() && line[at] == '0') {
        ++at;
        if (at < line.size() && isDigit(line[at])) {
            return false;  // no leading zeros
        }
    } else if (!digits()) {
        return false;
    }
    if (at < line.size() && line[at] == '.') {
        ++at;
        if (!digits()) {
            return false;
        }
    }
    if (at < line.size() && (line[at] == 'e' || line[at] == 'E')) {
        ++at;
        if (at < line.size() && (line[at] == '+' || line[at] == '-')) {
            ++at;
        }
        if (!digits()) {
            return false;
        }
    }
    text = line.substr(start, at - start);
    return true;
}

bool ParserTrajnet::Scan::value(int depth) {
    if (depth > deepestValue) {
        return false;
    }
    blanks();
    if (at >= line.size()) {
        return false;
    }
    std::string_view ignored;
    const char c = line[at];
    if (c == '"') {
        return string(ignored);
    }
    if (c == '{' || c == '[') {
        const char close = c == '{' ? '}' : ']';
        ++at;
        if (take(close)) {
            return true;
        }
        do {
            if (c == '{' && (!string(ignored) || !take(':'))) {
                return false;
            }
            if (!value(depth + 1)) {
                return false;
            }
        } while (take(','));
        return take(close);
    }
    for (const std::string_view word : {"true", "false", "null"}) {
        if (line.substr(at, word.size()) == word) {
            at += word.size();
            return true;
        }
    }
    return number(ignored);
}

bool ParserTrajnet::refuse(const Scan& scan, std::uint32_t number, const std::string& expected) {
    const std::string_view rest = scan.line.substr(std::min(scan.at, scan.line.size()));
    return failAt(
        number,
        "column " + std::to_string(scan.at + 1) + ": expected " + expected +
            (rest.empty() ? ", but the line ends" : ", found " + quoted(rest.substr(0, 12))) + ".");
}

bool ParserTrajnet::readTrack(Scan& scan, std::uint32_t number, std::vector<TrajectoryRow>& rows) {
    static const char keys[] = {'f', 'p', 'x', 'y'};
    double values[4] = {};
    bool seen[4] = {};
    if (!scan.take('{')) {
        return refuse(scan, number, "\"{\" after \"track\":");
    }
    // Prediction tools add keys of their own ("prediction_number", "s"); only these four are
    // read, and the others are skipped whatever they hold.
    for (bool firstMember = true; !scan.take('}'); firstMember = false) {
        if (!firstMember && !scan.take(',')) {
            return refuse(scan, number, "\",\" and the next key, or \"}\" closing the track");
        }
        const size_t keyAt = scan.at;
        std::string_view key;
        if (!scan.string(key) || !scan.take(':')) {
            scan.at = keyAt;
            scan.blanks();
            return refuse(scan, number, "a key in quotes and \":\"");
        }
        int k = 0;
        while (k < 4 && (key.size() != 1 || keys[k] != key[0])) {
            ++k;
        }
        if (k == 4) {
            if (!scan.value(0)) {
                return refuse(scan, number, "a value for the key " + quoted(key));
            }
            continue;
        }
        if (seen[k]) {
            scan.at = keyAt;
            scan.blanks();
            return refuse(scan, number, "each of the keys \"f\", \"p\", \"x\", \"y\" once");
        }
        seen[k] = true;
        std::string_view text;
        if (!scan.number(text)) {
            return refuse(scan, number, std::string("a number for \"") + keys[k] + "\"");
        }
        const char* what = k == 0 ? "frame" : k == 1 ? "id" : k == 2 ? "x" : "y";
        if (!(k < 2 ? readWhole(text, what, number, values[k])
                    : readReal(text, what, number, values[k]))) {
            return false;
        }
    }
    for (int k = 0; k < 4; ++k) {
        if (!seen[k]) {
            return failAt(number, std::string("the track has no key \"") + keys[k] +
                                      "\"; a track needs \"f\", \"p\", \"x\" and \"y\".");
        }
    }
    TrajectoryRow row;
    row.stamp = values[0];
    row.id = static_cast<std::int64_t>(values[1]);
    row.x = static_cast<float>(values[2]);
    row.y = static_cast<float>(values[3]);
    row.line = number;
    rows.push_back(row);
    return true;
}

bool ParserTrajnet::readLine(std::string_view line, std::uint32_t number,
                             std::vector<TrajectoryRow>& rows) {
    Scan scan{line};
    std::string_view kind;
    if (!scan.take('{')) {
        return refuse(scan, number, "\"{\"");
    }
    const size_t kindAt = scan.at;
    if (!scan.string(kind) || (kind != "track" && kind != "scene")) {
        scan.at = kindAt;
        scan.blanks();
        return refuse(scan, number, "\"track\" or \"scene\"");
    }
    if (!scan.take(':')) {
        return refuse(scan, number, "\":\"");
    }
    if (kind == "track") {
        if (!readTrack(scan, number, rows)) {
            return false;
        }
    } else if (!scan.value(0)) {
        return refuse(scan, number, "the rest of the scene object");
    }
    if (!scan.take('}')) {
        return refuse(scan, number, "\"}\" closing the line's object");
    }
    scan.blanks();
    if (scan.at != line.size()) {
        return refuse(scan, number, "the end of the line after its object");
    }
    return true;
}

bool ParserTrajnet::readRows(const std::string& text, std::vector<TrajectoryRow>& rows,
                             RecordingFacts& facts) {
    rows.reserve(countDataLines(text));
    const bool complete = forEachLine(text, [&](std::string_view line, std::uint32_t number) {
        return trim(line).empty() || readLine(line, number, rows);
    });
    facts.frameRateHint =
        " Benchmark files count video frames: frames annotated 2.5 times per second that step "
        "by 10 mean --fps 25.";
    return complete;
}
