#include <gtest/gtest.h>

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "data/Experiment.h"
#include "data/ParserANA.h"
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
