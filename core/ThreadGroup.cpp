#include "core/ThreadGroup.h"

#include <cassert>
#include <system_error>
#include <utility>

#include "core/NumberText.h"

namespace {

std::thread startThread(std::function<void()> body) {
    return std::thread(std::move(body));
}

// The system's own text for EAGAIN, "Resource temporarily unavailable", does not say which
// resource, nor what to do about it.
std::string reasonOf(const std::system_error& error) {
    if (error.code() == std::errc::resource_unavailable_try_again) {
        return "the system refused another (a limit on threads or processes, such as ulimit -u, "
               "or on memory for their stacks is reached)";
    }
    return "the system refused another (" + error.code().message() + ")";
}

}  // namespace

ThreadGroup::ThreadGroup(Launch starter) : launch(starter ? std::move(starter) : startThread) {}

ThreadGroup::~ThreadGroup() {
    join();
}

bool ThreadGroup::start(int count, const std::function<void(int)>& body,
                        const std::function<void()>& stop) {
    assert(count >= 0 && count <= most);
    why.clear();
    // Reserved first, so that storing a started thread cannot throw and leave it unjoined.
    threads.reserve(threads.size() + static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        try {
            threads.push_back(launch([body, i] { body(i); }));
        } catch (const std::system_error& error) {
            // Whole or empty: a pool that ran on fewer threads than were asked for would hide
            // the limit from the user, who is told instead.
            stop();
            join();
            why = NumberText::format("Only %d of %d worker threads could be started: ", i, count) +
                  reasonOf(error) + ". Ask for fewer threads.";
            return false;
        }
    }
    return true;
}

void ThreadGroup::join() {
    for (std::thread& thread : threads) {
        if (thread.joinable()) {
            thread.join();
        }
    }
    threads.clear();
}
