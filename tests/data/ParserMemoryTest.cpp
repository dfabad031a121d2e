#include <gtest/gtest.h>

#include <malloc.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>

#include "data/Experiment.h"
#include "data/ParserANA.h"
#include "data/ParserCsv.h"
#include "data/ParserJuelich.h"
#include "data/ParserTrajnet.h"
#include "tests/support/ScratchFolder.h"

// Every allocation of this test program goes through these, so a test can see the peak of live
// heap bytes while the reader works.
namespace {
size_t liveBytes = 0;
size_t peakBytes = 0;
}  // namespace

#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(size_t size) {
    void* block = std::malloc(size > 0 ? size : 1);
    if (!block) {
        throw std::bad_alloc();
    }
    liveBytes += malloc_usable_size(block);
    peakBytes = std::max(peakBytes, liveBytes);
    return block;
}

void operator delete(void* pointer) noexcept {
    if (!pointer) {
        return;
    }
    liveBytes -= malloc_usable_size(pointer);
    std::free(pointer);
}

void operator delete(void* pointer, size_t) noexcept {
    operator delete(pointer);
}

namespace {

constexpr size_t megabyte = 1 << 20;

std::string repeat(const std::string& head, const std::string& unit, size_t size) {
    std::string text = head;
    while (text.size() < size) {
        text += unit;
    }
    return text;
}

std::string numberedKeys(const char* prefix, size_t size) {
    std::string text;
    for (int i = 1; text.size() < size; ++i) {
        text += prefix + std::to_string(i) + " ";
    }
    return text;
}

class HostileFile : public testing::TestWithParam<std::pair<const char*, std::string>> {};

}  // namespace

// The reader may use a small multiple of the file's size, whatever the file holds.
TEST_P(HostileFile, ReadingAMegabyteStaysWithinASmallMultipleOfItsSize) {
    ScratchFolder folder;
    const std::string& content = GetParam().second;
    const std::string path = folder.write("hostile.ana", content);
    const size_t before = liveBytes;
    peakBytes = liveBytes;
    {
        ParserANA parser;
        parser.load(path);
        Experiment experiment(parser);
    }
    const size_t used = peakBytes - before;
    RecordProperty("peak_bytes", static_cast<int>(used));
    std::printf("%s: peak %zu bytes for %zu bytes of text\n", GetParam().first, used,
                content.size());
    EXPECT_LE(used, 6 * content.size())
        << GetParam().first << ": " << used << " bytes for " << content.size();
}

INSTANTIATE_TEST_SUITE_P(
    Files, HostileFile,
    testing::Values(
        std::make_pair("one key with a value per two bytes", repeat("center_1", " 1", megabyte)),
        std::make_pair("a pedestrian key per token", numberedKeys("center_", megabyte)),
        std::make_pair("an unknown key per token", numberedKeys("k", megabyte)),
        std::make_pair("one key repeated", repeat("", "time(s) 1 ", megabyte)),
        std::make_pair("a valid file with huge counts",
                       repeat("nped 2000000000 nrow 2000000000 center_1", " 1", megabyte)),
        std::make_pair("a valid experiment", "nped 1 nrow 100000 " +
                                                 repeat("center_1", " 1 2", 100000 * 4) +
                                                 repeat(" ori_center_1", " 0", 100000 * 2 + 13) +
                                                 repeat(" spd_center_1", " 1", 100000 * 2 + 13) +
                                                 repeat(" time(s)", " 1", 100000 * 2 + 8))));

namespace {

// Lines made by a pattern of the line number, until the text has the given size.
template <class Line>
std::string lines(const std::string& head, size_t size, Line line) {
    std::string text = head;
    for (size_t i = 0; text.size() < size; ++i) {
        text += line(i);
    }
    return text;
}

struct Recording {
    const char* name;
    const char* format;
    std::string text;
};

class HostileRecording : public testing::TestWithParam<Recording> {};

}  // namespace

// Rows cost a fixed record each, a few times the shortest line that holds one; the text is let go
// before the experiment is built, so the peak stays a small multiple of the file.
TEST_P(HostileRecording, ReadingAMegabyteStaysWithinASmallMultipleOfItsSize) {
    const Recording& recording = GetParam();
    ScratchFolder folder;
    const std::string path = folder.write("hostile.rec", recording.text);
    ReadingOptions options;
    options.framesPerSecond = 25;
    const size_t before = liveBytes;
    peakBytes = liveBytes;
    {
        std::unique_ptr<RecordingParser> parser;
        const std::string format = recording.format;
        if (format == "csv") {
            parser = std::make_unique<ParserCsv>();
        } else if (format == "trajnet") {
            parser = std::make_unique<ParserTrajnet>();
        } else {
            parser = std::make_unique<ParserJuelich>();
        }
        parser->setReadingOptions(options);
        parser->load(path);
        Experiment experiment(*parser);
    }
    const size_t used = peakBytes - before;
    std::printf("%s: peak %zu bytes for %zu bytes of text\n", recording.name, used,
                recording.text.size());
    EXPECT_LE(used, 8 * recording.text.size()) << recording.name;
}

INSTANTIATE_TEST_SUITE_P(
    Files, HostileRecording,
    testing::Values(
        Recording{
            "one id on every frame", "juelich",
            lines("", megabyte, [](size_t i) { return "1 " + std::to_string(i) + " 0 0\n"; })},
        Recording{"an id per row", "juelich",
                  lines("", megabyte, [](size_t i) { return std::to_string(i) + " 0 0 0\n"; })},
        Recording{"an id per two rows", "juelich",
                  lines("", megabyte,
                        [](size_t i) {
                            return std::to_string(i / 2) + " " + std::to_string(i % 2) + " 0 0\n";
                        })},
        Recording{"frames far apart", "juelich",
                  lines("", megabyte,
                        [](size_t i) {
                            return std::to_string(i % 2) + " " + std::to_string(i * 1000000000) +
                                   " 0 0\n";
                        })},
        Recording{"comments only", "juelich", repeat("", "# fps 25 in cm\n", megabyte)},
        Recording{"a text id per row", "csv",
                  lines("id,frame,x,y\n", megabyte,
                        [](size_t i) { return "p" + std::to_string(i) + ",0,0,0\n"; })},
        Recording{"a text id per two rows", "csv",
                  lines("id,frame,x,y\n", megabyte,
                        [](size_t i) {
                            return "p" + std::to_string(i / 2) + "," + std::to_string(i % 2) +
                                   ",0,0\n";
                        })},
        Recording{"tracks", "trajnet",
                  lines("", megabyte,
                        [](size_t i) {
                            return "{\"track\":{\"f\":" + std::to_string(i % 7) +
                                   ",\"p\":" + std::to_string(i / 7) + ",\"x\":0,\"y\":0}}\n";
                        })},
        Recording{"nested scenes", "trajnet",
                  repeat("", "{\"scene\":[[[[[[[[[[[[[]]]]]]]]]]]]]}\n", megabyte)}),
    [](const testing::TestParamInfo<Recording>& info) {
        std::string name = info.param.name;
        for (char& c : name) {
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        }
        return name;
    });
