#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/Configurable.h"
#include "core/PDF.h"
#include "core/ParameterTable.h"
#include "core/PdfType.h"
#include "core/Segment.h"
#include "models/PresentList.h"

class StepThreads;

/// Abstract base of every crowd model. It owns what the models share: the obstacle segments of
/// the scene, the per-agent parameter values with their distributions and defaults, the current
/// state of every agent and the trajectories recorded during the last run.
class Simulation : public Configurable {
public:
    /// Parameter type that edits a distribution as text: "min max KIND mean deviation".
    using Type_pdf = PdfType;

    /// Present agents from which a step shares its deciding part among the step threads.
    static constexpr int smallestThreadedStep = 2000;

    Simulation();
    ~Simulation() override;

    /// Discards any previous agents and builds `agentCount` new ones.
    virtual void createAgents() = 0;
    /// Brings every agent back to its initial state and gives it its row of agentParameters.
    virtual void applyParameters() = 0;
    /// Hands one obstacle segment to the model.
    virtual void registerObstacle(float x1, float y1, float x2, float y2) = 0;
    virtual void setPosition(int agent, float x, float y) = 0;
    virtual void setVelocity(int agent, float vx, float vy) = 0;
    /// Sets the point that the agent walks to.
    virtual void setGoal(int agent, float x, float y) = 0;
    /// Advances every agent by `dt` seconds and stores each agent's new state.
    virtual void step(float dt) = 0;
    /// Puts an agent into the scene or takes it out. An absent agent is nobody's neighbour, is
    /// not stepped and does not move; its state stays as it was. Every agent is present after
    /// initialise. A model overrides this to tell its engine, and calls this base.
    virtual void setPresent(int agent, bool present);
    bool isPresent(int agent) const { return stored.agentPresent[static_cast<size_t>(agent)] != 0; }
    /// Agents in the scene.
    int presentCount() const { return static_cast<int>(presence.size()); }
    /// The agents in the scene, in increasing index order. A step goes through these alone, so
    /// that it costs in the agents present, however many more come before or after.
    const std::vector<int>& presentAgents() { return presence.agents(); }

    /// Sets the simulation up for `count` agents: arrays, agents, default parameter rows,
    /// obstacles handed to the model, parameters applied.
    void initialise(int count);
    /// Appends one obstacle segment to the scene (handed to the model by initialise).
    void addObstacle(const Segment& segment);
    /// Declares an agent parameter with its default and distribution and (re)exposes every
    /// distribution as a Type_pdf parameter bound to its current storage.
    void addAgentParameter(const std::string& parameterName, float defaultValue,
                           const PDF& distribution);
    /// Empties every agent's recorded trajectory.
    void clearRecords();
    /// Makes room for `samples` samples in an agent's recorded trajectory, so that a run that
    /// knows its length records into exactly that much memory, kept for the runs after it.
    void reserveRecords(int agent, int samples);
    /// Appends one sample to an agent's recorded trajectory.
    void recordSample(int agent, float x, float y, float vx, float vy);
    /// Fixes frameCount from agent 0's trajectory (from the last recorded frame of any agent
    /// when recordedFrom is set, and at least `frames`) and returns the recorded x lists.
    const std::vector<std::vector<float>>& finishRecords(int frames = 0);
    /// Stores an agent's current state.
    void setAgentState(int agent, float x, float y, float vx, float vy);
    /// Frees the per-run arrays.
    void releaseArrays();
    /// Lets every later step of `smallestThreadedStep` present agents or more decide the
    /// agents' new velocities on `threads` threads at once, the calling thread included; the
    /// agents then move and are recorded in order on the calling thread. 1 (the default) or
    /// less keeps whole steps on the calling thread, and more than ThreadGroup::most counts as
    /// that many. Results are the same, bit for bit, for every count. The threads are kept until
    /// the count changes or the simulation goes. False, with stepThreadsFailure() and steps on
    /// the calling thread alone, when the system refused to start the threads.
    bool setStepThreads(int threads);
    /// The count in use, at least 1.
    int stepThreads() const { return stepThreadCount; }
    /// Why the last setStepThreads failed; empty when it did not.
    const std::string& stepThreadsFailure() const { return stepThreadsError; }

    /// A copy of the parameter distributions, for drawing values.
    std::vector<PDF> parameterDistributionsCopy() const { return stored.parameterDistributions; }
    /// agentParameters by (agent, parameter): the one way to write them from outside.
    ParameterTable parameterTable() {
        return ParameterTable(stored.agentParameters, agentParameterCount());
    }

    /// Agents of the current set-up.
    int agentCount() const { return stored.agentCount; }
    /// Recorded samples per agent after the last run.
    int frameCount() const { return stored.frameCount; }
    /// Parameters of each agent: one per default.
    int agentParameterCount() const { return static_cast<int>(stored.parameterDefaults.size()); }

    /// Recorded trajectories: sample k of agent i is (recordedX()[i][k], recordedY()[i][k],
    /// recordedVX()[i][k], recordedVY()[i][k]).
    const std::vector<std::vector<float>>& recordedX() const { return stored.recordedX; }
    const std::vector<std::vector<float>>& recordedY() const { return stored.recordedY; }
    const std::vector<std::vector<float>>& recordedVX() const { return stored.recordedVX; }
    const std::vector<std::vector<float>>& recordedVY() const { return stored.recordedVY; }
    /// The frame of each agent's recorded sample 0, for runs in which pedestrians come and go;
    /// empty when every trajectory starts at frame 0.
    const std::vector<int>& recordedFrom() const { return stored.recordedFrom; }
    /// Sets the frame at which each agent's next recorded trajectory starts (empty: frame 0).
    void setRecordedFrom(std::vector<int> firstFrames) {
        stored.recordedFrom = std::move(firstFrames);
    }
    /// Appends the agent's current state to its recorded trajectory.
    void recordCurrentState(int agent);

    /// State of each agent after the last step.
    const std::vector<float>& currentX() const { return stored.currentX; }
    const std::vector<float>& currentY() const { return stored.currentY; }
    const std::vector<float>& currentVX() const { return stored.currentVX; }
    const std::vector<float>& currentVY() const { return stored.currentVY; }

    /// Obstacle segments of the scene, handed to the model in this order by initialise.
    const std::vector<Segment>& obstacles() const { return stored.obstacles; }
    /// Replaces the scene; the new list goes to the model with the next initialise.
    void setObstacles(std::vector<Segment> segments) { stored.obstacles = std::move(segments); }

    /// Row i holds agent i's parameter values (agentCount × agentParameterCount).
    const std::vector<float>& agentParameters() const { return stored.agentParameters; }
    const std::vector<PDF>& parameterDistributions() const { return stored.parameterDistributions; }
    const std::vector<float>& parameterDefaults() const { return stored.parameterDefaults; }
    /// The agent parameters' names in declaration order, by which their distributions are set;
    /// empty for a model whose pedestrian type declares its parameters itself.
    const std::vector<std::string>& agentParameterNames() const { return stored.parameterNames; }

protected:
    /// The threads for the next step; null when it runs on the calling thread. The present
    /// agents are counted only when there are threads to share a step among.
    StepThreads* threadsForStep() const;
    /// Replaces every parameter's default and distribution at once, for a model whose
    /// pedestrian type declares them itself; such a model exposes no Type_pdf parameters.
    void setParameterLists(std::vector<float> defaults, std::vector<PDF> distributions);

private:
    /// The values behind the read accessors, written by the operations above alone.
    struct Stored {
        int agentCount = 0;
        int frameCount = 0;
        std::vector<std::vector<float>> recordedX, recordedY, recordedVX, recordedVY;
        std::vector<int> recordedFrom;
        std::vector<unsigned char> agentPresent;  ///< 1 for an agent in the scene
        std::vector<Segment> obstacles;
        std::vector<float> currentX, currentY, currentVX, currentVY;
        std::vector<float> agentParameters;
        std::vector<PDF> parameterDistributions;
        std::vector<float> parameterDefaults;
        std::vector<std::string> parameterNames;
    };

    Stored stored;
    PresentList presence;  ///< the agents of agentPresent that are set, as a list
    int stepThreadCount = 1;
    std::unique_ptr<StepThreads> stepPool;  ///< made when more than one thread is asked for
    std::string stepThreadsError;
};
