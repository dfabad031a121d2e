#include "data/TrackFile.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <tuple>

#include "core/AtomicFile.h"
#include "core/NumberText.h"

namespace {

// Positions and times need nine significant digits to read back to the same float.
std::string number(double value) {
    return NumberText::format("%.9g", value);
}

std::string extensionOf(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    const std::size_t slash = path.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return std::string();
    }
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

// The frame number of frame k of the recording at the stated rate, so that a gap in the times
// stays a gap in the numbers.
long long frameNumber(const TrackSet& set, int k, double rate) {
    return std::llround(static_cast<double>(set.times[static_cast<std::size_t>(k)]) * rate);
}

std::string comments(const TrackSet& set) {
    std::string text;
    for (const std::string& line : set.about) {
        text += "# " + line + "\n";
    }
    return text;
}

std::string textLayout(const TrackSet& set, double rate) {
    std::string text =
        comments(set) + "# framerate: " + number(rate) + " fps\n" + "# id frame x/m y/m z/m\n";
    for (const TrackSet::Track& track : set.tracks) {
        for (std::size_t j = 0; j < track.x.size(); ++j) {
            const int k = track.firstFrame + static_cast<int>(j);
            text += std::to_string(track.id) + " " + std::to_string(frameNumber(set, k, rate)) +
                    " " + number(track.x[j]) + " " + number(track.y[j]) + " 0\n";
        }
    }
    return text;
}

std::string csvLayout(const TrackSet& set, double rate) {
    // The readers number time by the frame column and the stated rate; t is there for scripts.
    std::string text =
        comments(set) + "# framerate: " + number(rate) + " fps\n" + "id,frame,t,x,y,vx,vy\n";
    for (const TrackSet::Track& track : set.tracks) {
        for (std::size_t j = 0; j < track.x.size(); ++j) {
            const int k = track.firstFrame + static_cast<int>(j);
            text += std::to_string(track.id) + "," + std::to_string(frameNumber(set, k, rate)) +
                    "," + number(set.times[static_cast<std::size_t>(k)]) + "," +
                    number(track.x[j]) + "," + number(track.y[j]) + "," + number(track.vx[j]) +
                    "," + number(track.vy[j]) + "\n";
        }
    }
    return text;
}

// Track rows in frame order, as the benchmark files hold them, after one scene row that spans
// the recording.
std::string ndjsonLayout(const TrackSet& set, double rate) {
    std::vector<std::tuple<long long, int, float, float>> rows;
    for (const TrackSet::Track& track : set.tracks) {
        for (std::size_t j = 0; j < track.x.size(); ++j) {
            const int k = track.firstFrame + static_cast<int>(j);
            rows.emplace_back(frameNumber(set, k, rate), track.id, track.x[j], track.y[j]);
        }
    }
    std::sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
        return std::tie(std::get<0>(a), std::get<1>(a)) < std::tie(std::get<0>(b), std::get<1>(b));
    });
    std::string text;
    if (!rows.empty()) {
        text = "{\"scene\": {\"id\": 0, \"p\": " + std::to_string(std::get<1>(rows.front())) +
               ", \"s\": " + std::to_string(std::get<0>(rows.front())) +
               ", \"e\": " + std::to_string(std::get<0>(rows.back())) +
               ", \"fps\": " + number(rate) + ", \"tag\": 0}}\n";
    }
    for (const auto& [frame, id, x, y] : rows) {
        text += "{\"track\": {\"f\": " + std::to_string(frame) + ", \"p\": " + std::to_string(id) +
                ", \"x\": " + number(x) + ", \"y\": " + number(y) + "}}\n";
    }
    return text;
}

}  // namespace

namespace TrackFile {

bool formatNamed(const std::string& name, Format& format) {
    if (name == "txt") {
        format = Format::text;
    } else if (name == "csv") {
        format = Format::csv;
    } else if (name == "ndjson") {
        format = Format::ndjson;
    } else {
        return false;
    }
    return true;
}

bool formatOf(const std::string& path, Format& format) {
    return formatNamed(extensionOf(path), format);
}

double frameRate(const TrackSet& set) {
    const double step = set.times.size() > 1 ? double{set.times[1]} - set.times[0] : 0.0;
    // Six digits: a step of 0.4 s held as a float is 2.5 frames a second, not 2.49999996.
    return step > 0.0 ? NumberText::toDouble(NumberText::format("%.6g", 1.0 / step).c_str()) : 1.0;
}

bool write(const TrackSet& set, Format format, const std::string& path, std::string& error) {
    const double rate = frameRate(set);
    const std::string text = format == Format::text  ? textLayout(set, rate)
                             : format == Format::csv ? csvLayout(set, rate)
                                                     : ndjsonLayout(set, rate);
    return AtomicFile::replaceWith(path, text, error);
}

}  // namespace TrackFile
