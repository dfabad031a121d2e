#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <type_traits>
#include <vector>

#include "calibration/EvaluationPool.h"
#include "calibration/Genetic.h"
#include "core/Random.h"
#include "data/Experiment.h"
#include "data/ExperimentData.h"
#include "data/Parser.h"
#include "metrics/Difference.h"
#include "models/Simulation.h"
#include "run/Record.h"
#include "tests/support/RecordSetUp.h"

// A deterministic model whose only agent parameter is each agent's walking speed along +x.
class SpeedModel : public Simulation {
public:
    SpeedModel() {
        name = "Speed model";
        addAgentParameter("Speed", 0.5f, PDF(0.0f, 2.0f, PDF::UNIFORM, 0.0f, 0.0f));
    }
    void createAgents() override {}
    void applyParameters() override {}
    void registerObstacle(float, float, float, float) override {}
    void setPosition(int i, float x, float y) override { setAgentState(i, x, y, 0.0f, 0.0f); }
    void setVelocity(int, float, float) override {}
    void setGoal(int, float, float) override {}
    void step(float dt) override {
        for (int i = 0; i < agentCount(); ++i) {
            const float speed = agentParameters()[i * agentParameterCount()];
            setAgentState(i, currentX()[i] + speed * dt, currentY()[i], speed, 0.0f);
        }
    }
};

// The speed model, jittered by the generator during every run, as a model whose runs draw
// random numbers (Vision's waiting time) is.
class JitteryModel : public SpeedModel {
public:
    void step(float dt) override {
        SpeedModel::step(dt);
        for (int i = 0; i < agentCount(); ++i) {
            setAgentState(i, currentX()[i] + 0.001f * static_cast<float>(Random::draw() % 100),
                          currentY()[i], currentVX()[i], currentVY()[i]);
        }
    }
};

// Sets an algorithm up for a test of whole runs: seeded, its console kept in `console`, a small
// genetic population, and every cost appended to `costs`. Returns the factory of worker
// instances of `Model` scored by Difference.
template <class Model, class Algorithm>
EvaluationPool::Factory prepareRun(Algorithm& algorithm, unsigned seed, std::ostream& console,
                                   std::vector<float>& costs, int population) {
    algorithm.setSeed(seed);
    algorithm.setConsole(console);
    if constexpr (std::is_base_of_v<Genetic, Algorithm>) {
        algorithm.N = population;
        algorithm.n = 3;
        algorithm.loops = 2;
    }
    algorithm.onEvaluation = [&costs](float cost) { costs.push_back(cost); };
    return [] {
        return EvaluationPool::Instances{std::make_unique<Model>(), std::make_unique<Difference>()};
    };
}

// An experiment of pedestrians walking along +x from x = 0 at the given speeds, 1 s per frame.
class WalkingParser : public Parser {
public:
    WalkingParser(std::vector<float> walkingSpeeds, int frameCount)
        : Parser("test"), speeds(std::move(walkingSpeeds)), frames(frameCount) {}
    bool load(const std::string&) override { return true; }
    void fill(ExperimentData& data) override {
        const int P = static_cast<int>(speeds.size());
        const int F = frames;
        data.pedestrianCount = P;
        data.frameCount = F;
        data.posX.assign(P * F, 0.0f);
        data.posY.assign(P * F, 0.0f);
        data.velX.assign(P * F, 0.0f);
        data.velY.assign(P * F, 0.0f);
        data.times.assign(F, 0.0f);
        for (int k = 0; k < F; ++k) {
            data.times[k] = static_cast<float>(k);
            for (int p = 0; p < P; ++p) {
                data.posX[p * F + k] = speeds[p] * static_cast<float>(k);
                data.velX[p * F + k] = speeds[p];
            }
        }
    }

private:
    std::vector<float> speeds;
    int frames;
};

// A record binding the speed model to walkers of the given speeds, ready to calibrate.
struct SpeedScene {
    explicit SpeedScene(std::vector<float> speeds, int frames = 5) {
        WalkingParser parser(std::move(speeds), frames);
        experiment = std::make_unique<Experiment>(parser);
        bindAndPrepare(record, experiment.get(), &model);
        record.rebuildIndex();
    }
    float evaluate() {
        record.reset();
        return metric.evaluate(&record);
    }

    std::unique_ptr<Experiment> experiment;
    SpeedModel model;
    Record record;
    Difference metric;
};
