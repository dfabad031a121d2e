#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "BenchScenes.h"
#include "core/NumberText.h"
#include "data/ExperimentData.h"
#include "data/Parser.h"

namespace {

// A recording of pedestrians who come and go: 120 walkers cross a 20 m × 6 m corridor at
// 1.2 m/s, one entering every 8 frames (0.1 s each) from alternating ends, each present for
// its 167 frames, so about 20 are present at a time over 1,000 frames.
class ComingAndGoing : public Parser {
public:
    static constexpr int walkers = 120;
    static constexpr int frames = 1000;
    static constexpr int entryInterval = 8;
    static constexpr int presence = 167;
    static constexpr float frameTime = 0.1f;  // s
    static constexpr float speed = 1.2f;      // m/s

    ComingAndGoing() : Parser("bench") {}
    bool load(const std::string&) override { return true; }
    void fill(ExperimentData& data) override {
        data.pedestrianCount = walkers;
        data.frameCount = frames;
        data.obstacles = {{0.0f, 0.0f, 20.0f, 0.0f}, {0.0f, 6.0f, 20.0f, 6.0f}};
        for (int k = 0; k < frames; ++k) {
            data.times.push_back(frameTime * static_cast<float>(k));
        }
        for (int p = 0; p < walkers; ++p) {
            const float direction = p % 2 == 0 ? 1.0f : -1.0f;
            const float lane = 0.5f + 5.0f * static_cast<float>((p * 7) % 11) / 10.0f;
            for (int j = 0; j < presence; ++j) {
                const float along = speed * frameTime * static_cast<float>(j);
                data.posX.push_back(direction > 0 ? along : 20.0f - along);
                // A gentle sway, so that the walkers do not stay in perfect lanes.
                data.posY.push_back(lane + 0.2f * std::sin(0.05f * static_cast<float>(j + p)));
                data.velX.push_back(direction * speed);
                data.velY.push_back(0.0f);
            }
        }
    }
    void fillPresence(std::vector<int>& first, std::vector<int>& last,
                      std::vector<std::ptrdiff_t>& base) override {
        for (int p = 0; p < walkers; ++p) {
            first.push_back(std::min(p * entryInterval, frames - presence));
            last.push_back(first.back() + presence - 1);
            base.push_back(static_cast<std::ptrdiff_t>(p) * presence - first.back());
        }
    }
};

// One evaluation (reset, run, score) of a model on the recording of walkers coming and going.
void recordingEvaluation(benchmark::State& state, const char* model) {
    ComingAndGoing recording;
    timeModelOn(state, recording, model);
}
BENCHMARK_CAPTURE(recordingEvaluation, boids, "Boids")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(recordingEvaluation, helbing, "Helbing")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(recordingEvaluation, rvo2, "RVO2")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(recordingEvaluation, vision, "Vision")->Unit(benchmark::kMillisecond);

// A laboratory-style recording of about 4 MB: "id frame x y z" rows in centimetres at 16
// frames per second, 680 walkers of 200 frames each entering over 2,000 frames.
const std::string& fourMegabyteRecording() {
    static const std::string path = [] {
        const std::string file = "/tmp/vestra-bench-recording.txt";
        std::FILE* f = std::fopen(file.c_str(), "w");
        std::fputs("# framerate: 16 fps\n# x/cm y/cm z/cm\n", f);
        for (int id = 1; id <= 680; ++id) {
            const int first = (id * 3) % 1800;
            for (int j = 0; j < 200; ++j) {
                NumberText::print(f, "%d %d %.2f %.2f 170.00\n", id, first + j, 8.0 * j,
                                  50.0 + 3.0 * (id % 100) + 10.0 * std::sin(0.1 * j));
            }
        }
        std::fclose(f);
        return file;
    }();
    return path;
}

void readRecording(benchmark::State& state) {
    ComponentRegistry registry;
    registerStandardComponents(registry);
    const std::string& path = fourMegabyteRecording();
    std::string error;
    for (auto _ : state) {
        const auto experiment = loadExperimentFile(registry, path, error);
        benchmark::DoNotOptimize(experiment.get());
    }
    std::FILE* f = std::fopen(path.c_str(), "rb");
    std::fseek(f, 0, SEEK_END);
    state.SetBytesProcessed(state.iterations() * std::ftell(f));
    std::fclose(f);
}
BENCHMARK(readRecording)->Unit(benchmark::kMillisecond);

}  // namespace
