#include "data/AnaWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "core/AtomicFile.h"
#include "core/NumberText.h"
#include "data/Experiment.h"
#include "data/PolarVelocity.h"
#include "data/TextFile.h"

namespace {

/// Where the text of an ANA file goes: into a stream, or only counted, so that the size of a
/// file is known before a byte of it is written. A value repeated n times costs one formatting.
class AnaText {
public:
    explicit AnaText(std::FILE* stream) : file(stream) {}

    void put(const std::string& text) {
        bytes += text.size();
        if (file) {
            std::fputs(text.c_str(), file);
        }
    }
    /// One value, `times` times over; nine significant digits bring every float back exactly.
    void value(float v, std::uint64_t times = 1) {
        if (times == 0) {
            return;
        }
        const std::string text = NumberText::format(" %.9g", static_cast<double>(v));
        bytes += text.size() * times;
        for (std::uint64_t i = 0; file && i < times; ++i) {
            std::fputs(text.c_str(), file);
        }
    }
    std::uint64_t size() const { return bytes; }

private:
    std::FILE* file;
    std::uint64_t bytes = 0;
};

void emitAna(const Experiment& e, AnaText& out) {
    const int F = e.frameCount;
    out.put(NumberText::format("nped %d\nnobs %d\nnrow %d\ntime(s)", e.pedestrianCount,
                               static_cast<int>(e.obstacles.size()), F));
    for (int k = 0; k < F; ++k) {
        out.value(e.times[static_cast<size_t>(k)]);
    }
    out.put("\nobstacles");
    for (const Segment& segment : e.obstacles) {
        for (const float value : {segment.x1, segment.y1, segment.x2, segment.y2}) {
            out.value(value);
        }
    }
    out.put("\n");
    for (int p = 0; p < e.pedestrianCount; ++p) {
        const int first = e.presentFirst[p];
        const int last = e.presentLast[p];
        const auto before = static_cast<std::uint64_t>(first);
        const auto after = static_cast<std::uint64_t>(F - 1 - last);
        // Frames outside the presence repeat the nearest measured position, standing still.
        out.put(NumberText::format("center_%d", p + 1));
        for (int k = first; k <= last; ++k) {
            const std::ptrdiff_t i = e.sampleIndex(p, k);
            const std::uint64_t times = 1 + (k == first ? before : 0) + (k == last ? after : 0);
            if (times == 1) {
                out.value(e.posX[i]);
                out.value(e.posY[i]);
            } else {
                for (std::uint64_t n = 0; n < times; ++n) {
                    out.value(e.posX[i]);
                    out.value(e.posY[i]);
                }
            }
        }
        std::vector<float> directions(static_cast<size_t>(last - first + 1));
        std::vector<float> speeds(directions.size());
        for (int k = first; k <= last; ++k) {
            const std::ptrdiff_t i = e.sampleIndex(p, k);
            const size_t at = static_cast<size_t>(k - first);
            if (e.directions.empty()) {
                PolarVelocity::fromVelocity(e.velX[i], e.velY[i], directions[at], speeds[at]);
            } else {
                directions[at] = e.directions[i];
                speeds[at] = e.speeds[i];
            }
        }
        for (const auto& [key, series] :
             {std::pair{"ori_center_", &directions}, std::pair{"spd_center_", &speeds}}) {
            out.put(NumberText::format("\n%s%d", key, p + 1));
            out.value(0.0f, before);
            for (const float value : *series) {
                out.value(value);
            }
            out.value(0.0f, after);
        }
        out.put("\n");
        if (e.hasPartialPresence()) {
            out.put(NumberText::format("present_%d %d %d\n", p + 1, first, last));
        }
    }
}

}  // namespace

std::uint64_t anaFileSize(const Experiment& experiment) {
    AnaText counter(nullptr);
    emitAna(experiment, counter);
    return counter.size();
}

bool writeAna(const Experiment& e, const std::string& path, std::string& error) {
    const std::uint64_t size = anaFileSize(e);
    if (size > TextFile::maxSize) {
        error = NumberText::format(
            "The ANA file would take %.2f GB for %d pedestrians over %d frames (every pedestrian "
            "holds a value for every frame), more than the 1 GiB an ANA file may hold, so it was "
            "not written; write a shorter time window (--from/--to) or fewer frames (--stride).",
            static_cast<double>(size) / 1e9, e.pedestrianCount, e.frameCount);
        return false;
    }
    AtomicFile out(path);
    if (std::FILE* f = out.stream()) {
        AnaText text(f);
        emitAna(e, text);
    }
    if (!out.commit()) {
        error = out.errorMessage();
        return false;
    }
    return true;
}
