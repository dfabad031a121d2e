#include "core/UsableCores.h"

#include <gtest/gtest.h>
#include <sched.h>

#include <vector>

namespace {

// Restricts the calling thread to some of the CPUs it may use now, as taskset or a scheduler's
// allocation would, and gives it back all of them at the end of the scope.
class RestrictedAffinity {
public:
    RestrictedAffinity() { sched_getaffinity(0, sizeof original, &original); }
    ~RestrictedAffinity() { sched_setaffinity(0, sizeof original, &original); }
    RestrictedAffinity(const RestrictedAffinity&) = delete;
    RestrictedAffinity& operator=(const RestrictedAffinity&) = delete;

    /// The CPUs allowed at the start, in order.
    std::vector<int> allowed() const {
        std::vector<int> cpus;
        for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
            if (CPU_ISSET(cpu, &original)) {
                cpus.push_back(cpu);
            }
        }
        return cpus;
    }
    /// Keeps the first `count` of them.
    bool keepFirst(int count) {
        const std::vector<int> cpus = allowed();
        cpu_set_t kept;
        CPU_ZERO(&kept);
        for (int i = 0; i < count; ++i) {
            CPU_SET(cpus[static_cast<size_t>(i)], &kept);
        }
        return sched_setaffinity(0, sizeof kept, &kept) == 0;
    }

private:
    cpu_set_t original;
};

}  // namespace

TEST(UsableCores, CountsTheCpusTheThreadMayRunOnNotTheMachines) {
    RestrictedAffinity affinity;
    const int available = static_cast<int>(affinity.allowed().size());
    ASSERT_GE(available, 1);
    for (const int kept : {1, 2, 3}) {
        if (kept > available) {
            break;
        }
        SCOPED_TRACE(kept);
        ASSERT_TRUE(affinity.keepFirst(kept));
        EXPECT_EQ(usableCores(), kept);
    }
}
