#pragma once

#include <functional>
#include <string>
#include <thread>
#include <vector>

/// Worker threads that a pool starts together and ends together. A thread the system refuses to
/// start (a limit on threads or processes, ulimit -u, or on memory for stacks) makes the whole
/// group stop at once: the threads already running are told to stop and joined, and failure()
/// says why, so that a pool is either complete or has no threads at all.
class ThreadGroup {
public:
    /// Starts one thread running its argument, or throws std::system_error as std::thread does.
    using Launch = std::function<std::thread(std::function<void()>)>;

    /// Most threads a pool starts, whatever is asked for: no step or batch of trials keeps more
    /// busy on the machines this runs on, and each costs a stack and, in a calibration, a model
    /// of its own.
    static constexpr int most = 256;

    /// A group that starts its threads with `launch`; by default with std::thread.
    explicit ThreadGroup(Launch launch = {});
    /// Joins the threads still running, which their owner must have told to stop.
    ~ThreadGroup();
    ThreadGroup(const ThreadGroup&) = delete;
    ThreadGroup& operator=(const ThreadGroup&) = delete;

    /// Starts `count` threads (at most `most`), thread i running body(i). True when all of them
    /// started; otherwise calls `stop`, which must make every running body return, joins the
    /// threads started and returns false with failure() saying why.
    bool start(int count, const std::function<void(int)>& body, const std::function<void()>& stop);
    /// Waits for every thread to end; their owner must have told them to stop.
    void join();

    /// Threads running (or ended but not yet joined).
    int size() const { return static_cast<int>(threads.size()); }
    /// Why the last start failed, as a sentence for the user; empty when it did not.
    const std::string& failure() const { return why; }

private:
    Launch launch;
    std::vector<std::thread> threads;
    std::string why;
};
