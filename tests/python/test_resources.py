"""What the module costs the interpreter: memory that stays flat over many calls, and the
interpreter's lock left to other threads while the library works."""

import subprocess
import sys
import threading
import time

import pytest

import vestra
from conftest import EXAMPLES, example

# Growth of the resident memory allowed over 1,000 evaluations. One record, model or metric
# left behind per call would hold at least tens of kilobytes each, tens of megabytes in all.
LEAK_MARGIN_KIB = 1024


def resident_kib():
    with open("/proc/self/status") as status:
        return next(int(line.split()[1]) for line in status if line.startswith("VmRSS:"))


def refused(experiment, i):
    with pytest.raises(ValueError):
        vestra.evaluate(experiment, "Nobody", "Difference")


@pytest.mark.parametrize("call", [
    lambda experiment, i: vestra.evaluate(experiment, "Vision", "Difference"),
    # A new set-up each time: every call builds a record and drops the oldest kept one.
    lambda experiment, i: vestra.evaluate(experiment, "RVO2", "Difference",
                                          set={"Speed": f"1 2 NORMAL {1 + i % 97 / 100}"}),
    refused,
], ids=["same request", "new setting each call", "refused request"])
def test_memory_stays_flat_over_a_thousand_evaluations(call):
    experiment = vestra.read(example("bottleneck.ana"))
    for i in range(100):
        call(experiment, i)
    before = resident_kib()
    for i in range(1000):
        call(experiment, i)
    assert resident_kib() - before < LEAK_MARGIN_KIB


def timed(work, path):
    start = time.perf_counter()
    work(path)
    return time.perf_counter() - start


@pytest.fixture(scope="module")
def long_recording(tmp_path_factory):
    """Sixty copies of a 60-walker run, about 10 MB, whose reading and runs take a while."""
    path = tmp_path_factory.mktemp("long") / "long.txt"
    subprocess.run([sys.executable, str(EXAMPLES.parent / "tools/make_long_recording.py"), "60",
                    str(path)], check=True)
    return str(path)


@pytest.mark.parametrize("work", [
    lambda path: vestra.read(path),
    lambda path: vestra.evaluate(vestra.read(path), "RVO2", "Difference"),
    lambda path: vestra.simulate(vestra.read(path), "RVO2", seed=1),
], ids=["read", "evaluate", "simulate"])
def test_other_threads_run_while_the_library_works(long_recording, work):
    took = []
    worker = threading.Thread(target=lambda: took.append(timed(work, long_recording)))
    worker.start()
    longest, last = 0.0, time.perf_counter()
    while worker.is_alive():
        now = time.perf_counter()
        longest, last = max(longest, now - last), now
    worker.join()
    # Had the lock been held, this thread would have stood still for the whole call.
    assert longest < took[0] / 2
