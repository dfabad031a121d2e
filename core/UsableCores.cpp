#include "core/UsableCores.h"

#include <sched.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <thread>

namespace {

// sched_getaffinity fails with EINVAL when the set is smaller than the kernel's, so the set
// grows from the size of a cpu_set_t up to this many CPUs.
constexpr int largestCpuSet = 1 << 20;

struct CpuSetFree {
    void operator()(cpu_set_t* set) const { CPU_FREE(set); }
};

}  // namespace

int usableCores() {
    for (int cpus = CPU_SETSIZE; cpus <= largestCpuSet; cpus *= 2) {
        const std::unique_ptr<cpu_set_t, CpuSetFree> set(CPU_ALLOC(cpus));
        if (!set) {
            break;
        }
        const size_t bytes = CPU_ALLOC_SIZE(cpus);
        if (sched_getaffinity(0, bytes, set.get()) == 0) {
            return std::max(1, CPU_COUNT_S(bytes, set.get()));
        }
        if (errno != EINVAL) {
            break;
        }
    }
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}
