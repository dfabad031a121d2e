#pragma once

#include <cstddef>
#include <vector>

/// The agents of a crowd that are in the scene, as a list in increasing index order.
///
/// A long recording has many more pedestrians than are ever present at once, and a step must
/// cost in the present ones only. So a change is only noted, and the list is brought up to date
/// when it is next asked for, at a cost in the present agents and the changes since, never in
/// all agents. Once sized, nothing here allocates.
class PresentList {
public:
    /// `count` agents, every one of them present.
    explicit PresentList(std::size_t count = 0) { reset(count); }
    /// Starts again with `count` agents, every one of them present.
    void reset(std::size_t count);
    /// Notes that agent `agent` (below the count) is now in the scene or not; telling the state
    /// it already has changes nothing.
    void update(std::size_t agent, bool present);
    /// Agents in the scene, after every update so far.
    std::size_t size() const { return presentCount; }
    /// The agents in the scene, in increasing index order.
    const std::vector<int>& agents();

private:
    /// Moves `entering` (sorted) into `sorted`, from the back, so that nothing is allocated.
    void mergeEntering();

    std::vector<unsigned char> wanted;  ///< the state last told, per agent
    std::vector<unsigned char> listed;  ///< in `sorted`, per agent
    std::vector<unsigned char> queued;  ///< in `changes`, per agent
    std::vector<int> sorted;            ///< the list as last brought up to date
    std::vector<int> changes;           ///< agents told a new state since then
    std::vector<int> entering;          ///< scratch of agents(): the ones to add
    std::size_t presentCount = 0;
};
