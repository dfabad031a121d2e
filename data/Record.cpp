#include "data/Record.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <vector>

#include "core/AtomicFile.h"
#include "core/NumberText.h"
#include "data/ConfigurationParser.h"
#include "data/Experiment.h"
#include "data/PresenceTimeline.h"
#include "models/Simulation.h"

namespace {

// Longest run through waypoints, in steps; a pedestrian that never arrives ends it here.
constexpr int maxWaypointSteps = 100000;
// Starting velocity of a waypoint run: sqrt(2) / 2 in both directions.
constexpr float waypointStartSpeed = 0.70710677f;

std::string parameterKey(int k) {
    return "parameter_" + std::to_string(k);
}

// Waypoints of pedestrian p that have both coordinates and a radius.
int usableWaypoints(const Experiment& e, int p) {
    const size_t stored =
        std::min({e.waypointX[p].size(), e.waypointY[p].size(), e.waypointRadius[p].size()});
    return std::min(e.waypointCount[p], static_cast<int>(stored));
}

// True when the simulation's scene lists hold exactly the experiment's segments, in order.
bool holdsSceneOf(const Simulation& s, const Experiment& e) {
    if (s.obstacleCount != e.obstacleCount) {
        return false;
    }
    for (int i = 0; i < e.obstacleCount; ++i) {
        if (s.obstacleX1[i] != e.obstacleX1[i] || s.obstacleY1[i] != e.obstacleY1[i] ||
            s.obstacleX2[i] != e.obstacleX2[i] || s.obstacleY2[i] != e.obstacleY2[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace

Record::Record() {
    addParameter("Save parameters", std::make_unique<Type_string>(), &saveFileName);
    addParameter("Load parameters", std::make_unique<Type_string>(), &loadFileName);
    setParameter("Save parameters", "");
    setParameter("Load parameters", "");
    name = "Record";
}

void Record::parametersCommitted() {
    commitError.clear();
    commitReport.clear();
    const auto addLine = [](std::string& text, const std::string& line) {
        text += (text.empty() ? "" : "\n") + line;
    };
    const auto take = [&](std::string& fileName, bool (Record::*operation)(const std::string&)) {
        const std::string name = fileName;
        fileName.clear();
        if ((this->*operation)(name)) {
            addLine(commitReport, notice);
        } else {
            addLine(commitError, error);
            std::cerr << error << std::endl;
        }
    };
    if (isParameterSet("Save parameters") && !saveFileName.empty()) {
        take(saveFileName, &Record::saveParameters);
    }
    if (isParameterSet("Load parameters") && !loadFileName.empty()) {
        take(loadFileName, &Record::loadParameters);
    }
}

void Record::build(Experiment* bound, Simulation* reference, Simulation* model) {
    setExperiment(bound);
    bindSimulation(reference);
    prepare();
    bindSimulation(model);
    prepare();
    run();
}

void Record::bindSimulation(Simulation* bound) {
    simulation = bound;
    parameterMatrix = bound ? bound->agentParameters.data() : nullptr;
    parameterCount = bound ? bound->agentParameterCount : 0;
}

void Record::prepare() {
    if (!experiment || !simulation) {
        return;
    }
    pedestrianCount = experiment->pedestrianCount;
    frameCount = experiment->frameCount;
    // The simulation may have been set up for another experiment before: it must end up with
    // exactly this scene, or a score would belong to walls that are not there.
    if (!holdsSceneOf(*simulation, *experiment)) {
        simulation->clearObstacles();
        for (int i = 0; i < experiment->obstacleCount; ++i) {
            simulation->addObstacle(experiment->obstacleX1[i], experiment->obstacleY1[i],
                                    experiment->obstacleX2[i], experiment->obstacleY2[i]);
        }
    }
    simulation->initialise(pedestrianCount);
    bindSimulation(simulation);
    rebuildIndex();
    setInitialState();
}

void Record::setInitialState() {
    const int F = experiment->frameCount;
    const int agents = std::min(experiment->pedestrianCount, simulation->agentCount);
    if (experiment->timeDriven) {
        // Without frames there is no first or last sample to start from. A pedestrian who
        // enters later waits out of the scene at its first measured position.
        if (F > 0) {
            const Experiment& e = *experiment;
            for (int i = 0; i < agents; ++i) {
                const std::ptrdiff_t first = e.sampleIndex(i, e.presentFirst[i]);
                const std::ptrdiff_t last = e.sampleIndex(i, e.presentLast[i]);
                simulation->setPosition(i, e.posX[first], e.posY[first]);
                simulation->setVelocity(i, e.velX[first], e.velY[first]);
                simulation->setGoal(i, e.posX[last], e.posY[last]);
                if (e.hasPartialPresence()) {
                    simulation->setPresent(i, e.presentFirst[i] == 0);
                }
            }
        }
        setDisplayPosition(0.0f);
        return;
    }
    for (int i = 0; i < agents; ++i) {
        const std::vector<float>& wx = experiment->waypointX[i];
        const std::vector<float>& wy = experiment->waypointY[i];
        if (wx.empty()) {
            continue;
        }
        const size_t next = wx.size() > 1 ? 1 : 0;
        simulation->setPosition(i, wx[0], wy[0]);
        simulation->setVelocity(i, 0.0f, 0.0f);
        simulation->setGoal(i, wx[next], wy[next]);
    }
}

void Record::reset() {
    if (!experiment || !simulation) {
        return;
    }
    simulation->applyParameters();
    setInitialState();
}

void Record::run() {
    if (!experiment || !simulation) {
        return;
    }
    if (experiment->timeDriven && experiment->hasPartialPresence()) {
        runWithPresence();
    } else if (experiment->timeDriven) {
        runTimeDriven();
    } else {
        runWaypoints();
    }
}

void Record::runTimeDriven() {
    const Experiment& e = *experiment;
    const int F = e.frameCount;
    const int agents = std::min(e.pedestrianCount, simulation->agentCount);
    simulation->clearRecords();
    if (F > 0) {
        for (int p = 0; p < agents; ++p) {
            simulation->reserveRecords(p, F);
            const int first = p * F;
            simulation->recordSample(p, e.posX[first], e.posY[first], e.velX[first], e.velY[first]);
            simulation->setPosition(p, e.posX[first], e.posY[first]);
            simulation->setVelocity(p, e.velX[first], e.velY[first]);
        }
    }
    for (int k = 0; k + 1 < F; ++k) {
        simulation->step(e.times[k + 1] - e.times[k]);
        for (int p = 0; p < agents; ++p) {
            simulation->recordSample(p, simulation->currentX[p], simulation->currentY[p],
                                     simulation->currentVX[p], simulation->currentVY[p]);
        }
    }
    simulation->finishRecords();
}

void Record::runWithPresence() {
    const Experiment& e = *experiment;
    const int F = e.frameCount;
    const int agents = std::min(e.pedestrianCount, simulation->agentCount);
    simulation->clearRecords();
    simulation->recordedFrom.assign(e.presentFirst.begin(), e.presentFirst.begin() + agents);
    // Each frame looks at those who come, go or are present, never at all pedestrians, so that
    // a long recording costs in its samples.
    const PresenceTimeline timeline(e, agents);
    // An agent enters at its first measured frame in its measured state, and is recorded from
    // there on; before and after its presence it is out of the scene and records nothing.
    const auto enter = [&](int p, int k) {
        const std::ptrdiff_t i = e.sampleIndex(p, k);
        simulation->setPresent(p, true);
        simulation->setPosition(p, e.posX[i], e.posY[i]);
        simulation->setVelocity(p, e.velX[i], e.velY[i]);
        simulation->recordSample(p, e.posX[i], e.posY[i], e.velX[i], e.velY[i]);
    };
    for (int p = 0; p < agents; ++p) {
        // Within the frames, as a window may reach past them.
        simulation->reserveRecords(
            p, std::min(e.presentLast[p], F - 1) - std::max(e.presentFirst[p], 0) + 1);
        if (e.presentFirst[p] == 0 && F > 0) {
            enter(p, 0);
        } else {
            simulation->setPresent(p, false);
        }
    }
    for (int k = 0; k + 1 < F; ++k) {
        for (const int p : timeline.leaving(k)) {
            simulation->setPresent(p, false);
        }
        simulation->step(e.times[k + 1] - e.times[k]);
        // Who stepped and is still measured is recorded; samples of different agents go to
        // different lists, so those entering may follow.
        for (const int p : simulation->presentAgents()) {
            if (p < agents && e.isPresent(p, k + 1)) {
                simulation->recordSample(p, simulation->currentX[p], simulation->currentY[p],
                                         simulation->currentVX[p], simulation->currentVY[p]);
            }
        }
        for (const int p : timeline.entering(k + 1)) {
            enter(p, k + 1);
        }
    }
    simulation->finishRecords();
}

void Record::runWaypoints() {
    const Experiment& e = *experiment;
    const int agents = std::min(e.pedestrianCount, simulation->agentCount);
    const float dt = e.frameCount > 1 ? e.times[1] : 0.0f;
    std::vector<int> current(static_cast<size_t>(agents), 1);
    simulation->clearRecords();
    for (int p = 0; p < agents; ++p) {
        const std::vector<float>& wx = e.waypointX[p];
        const std::vector<float>& wy = e.waypointY[p];
        if (wx.empty()) {
            // A pedestrian without waypoints stays where it is, but is sampled like the others,
            // so every trajectory has one sample per frame.
            simulation->recordSample(p, simulation->currentX[p], simulation->currentY[p],
                                     simulation->currentVX[p], simulation->currentVY[p]);
            continue;
        }
        const size_t next = wx.size() > 1 ? 1 : 0;
        simulation->recordSample(p, wx[0], wy[0], waypointStartSpeed, waypointStartSpeed);
        simulation->setPosition(p, wx[0], wy[0]);
        simulation->setVelocity(p, waypointStartSpeed, waypointStartSpeed);
        simulation->setGoal(p, wx[next], wy[next]);
    }
    for (int stepIndex = 0; stepIndex < maxWaypointSteps; ++stepIndex) {
        simulation->step(dt);
        bool travelling = false;
        for (int p = 0; p < agents; ++p) {
            const float x = simulation->currentX[p];
            const float y = simulation->currentY[p];
            const int count = usableWaypoints(e, p);
            if (current[p] < count) {
                travelling = true;
                const int w = current[p];
                const float dx = x - e.waypointX[p][w];
                const float dy = y - e.waypointY[p][w];
                // The radius counts in whole units, truncated toward zero; squared in float,
                // as an int square overflows from 46341 on.
                const float radius = std::trunc(e.waypointRadius[p][w]);
                if (dx * dx + dy * dy <= radius * radius) {
                    ++current[p];
                    if (current[p] < count) {
                        simulation->setGoal(p, e.waypointX[p][current[p]],
                                            e.waypointY[p][current[p]]);
                    }
                }
            }
            simulation->recordSample(p, x, y, simulation->currentVX[p], simulation->currentVY[p]);
        }
        if (!travelling) {
            break;
        }
    }
    simulation->finishRecords();
}

void Record::stepOnce() {
    if (!experiment || !simulation || experiment->frameCount < 2) {
        return;
    }
    simulation->step(experiment->times[1] - experiment->times[0]);
}

void Record::setDisplayPosition(float position) {
    // Records evaluating at once on several threads share their experiment; every reset sets
    // the position it already has, and leaving it untouched keeps that a read.
    if (experiment && experiment->displayPosition != position) {
        experiment->displayPosition = position;
    }
    if (simulation) {
        simulation->displayPosition = position;
    }
}

int Record::matrixRows() const {
    return simulation && parameterCount > 0
               ? static_cast<int>(simulation->agentParameters.size()) / parameterCount
               : 0;
}

bool Record::saveParameters(const std::string& fileName) {
    AtomicFile out(fileName);
    if (!writeParameters(out)) {
        if (error.empty()) {
            error = out.errorMessage();
        }
        return false;
    }
    if (!out.commit()) {
        error = out.errorMessage();
        return false;
    }
    notice = "Saved " + parameterSummary() + " to " + fileName;
    return true;
}

bool Record::writeParameters(AtomicFile& out) {
    error.clear();
    if (parameterCount > 0 && matrixRows() < simulatedCount) {
        error = "Cannot save \"" + out.path() + "\": the model holds no parameters for " +
                std::to_string(simulatedCount) + " pedestrians.";
        return false;
    }
    if (std::FILE* f = out.stream()) {
        std::fputs("#--PARAMETERS--\n\n", f);
        for (int k = 0; k < parameterCount; ++k) {
            NumberText::print(f, "%%parameter_%d\n", k);
            for (int a = 0; a < simulatedCount; ++a) {
                NumberText::print(f, "    %a\n",
                                  static_cast<double>(parameterMatrix[a * parameterCount + k]));
            }
        }
    }
    if (!out.finish()) {
        error = out.errorMessage();
        return false;
    }
    return true;
}

bool Record::loadParameters(const std::string& fileName) {
    if (parameterCount > 0 && matrixRows() < simulatedCount) {
        error = "Cannot load \"" + fileName + "\": the model holds no parameters for " +
                std::to_string(simulatedCount) + " pedestrians.";
        return false;
    }
    ConfigurationParser reader;
    if (!reader.load(fileName)) {
        error = reader.errorMessage();
        return false;
    }
    // Every section and value is checked before the first one is written, so a short file
    // changes nothing.
    for (int k = 0; k < parameterCount; ++k) {
        const std::string key = parameterKey(k);
        if (!reader.has(key)) {
            error = "\"" + fileName + "\" has no section \"%" + key + "\".";
            return false;
        }
        if (reader.count(key) < simulatedCount) {
            error = "\"" + fileName + "\": section \"%" + key + "\" holds " +
                    std::to_string(reader.count(key)) + " values, but " +
                    std::to_string(simulatedCount) + " pedestrians need one each.";
            return false;
        }
    }
    for (int k = 0; k < parameterCount; ++k) {
        const std::string key = parameterKey(k);
        for (int a = 0; a < simulatedCount; ++a) {
            parameterMatrix[a * parameterCount + k] = reader.value(key, a);
        }
    }
    if (simulation) {
        simulation->applyParameters();
    }
    notice = "Loaded " + parameterSummary() + " from " + fileName;
    return true;
}

std::string Record::parameterSummary() const {
    const auto counted = [](int n, const char* word) {
        return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
    };
    return counted(parameterCount, "parameter") + " for " + counted(simulatedCount, "pedestrian");
}

bool Record::writeStatistics(const std::string& fileName) {
    if (!experiment || !simulation) {
        error = "Cannot write \"" + fileName + "\": no experiment and model are bound.";
        return false;
    }
    const Experiment& e = *experiment;
    AtomicFile out(fileName);
    long long lines = 1 + e.obstacleCount;
    if (std::FILE* f = out.stream()) {
        // An experiment of a single frame has no second frame time; 0 stands for it.
        const double secondTime = e.frameCount > 1 ? e.times[1] : 0.0;
        NumberText::print(f, "%d %f\n", e.obstacleCount, secondTime);
        for (int i = 0; i < e.obstacleCount; ++i) {
            NumberText::print(f, "%f %f %f %f\n", e.obstacleX1[i] * 100.0, e.obstacleY1[i] * 100.0,
                              e.obstacleX2[i] * 100.0, e.obstacleY2[i] * 100.0);
        }
        const int agents = std::min(e.pedestrianCount, simulation->agentCount);
        for (int i = 0; i < agents; ++i) {
            // Sample j of an agent that entered at frame `from` stands for frame from + j.
            const int from = simulation->recordedFrom.empty() ? 0 : simulation->recordedFrom[i];
            const int samples = std::min(simulation->frameCount - from,
                                         static_cast<int>(simulation->recordedX[i].size()));
            lines += std::max(samples, 0);
            for (int j = 0; j < samples; ++j) {
                NumberText::print(f, "%d %d %f %f 175.0\n", i + 1, from + j,
                                  simulation->recordedX[i][j] * 100.0,
                                  simulation->recordedY[i][j] * 100.0);
            }
        }
    }
    if (!out.commit()) {
        error = out.errorMessage();
        return false;
    }
    notice = "Wrote " + fileName + " (" + std::to_string(lines) + " lines)";
    return true;
}
