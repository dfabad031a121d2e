"""Calibrating: reports, parameter files and costs measured against `vestra-batch calibrate`,
and the ways a run ends early."""

import os
import signal
import subprocess
import sys
import textwrap
import threading

import pytest

import vestra
from conftest import EXAMPLES, batch, example, setting_arguments

CALIBRATED = [
    ("Helbing", "Greedy", "pedestrian", {}, 1),
    ("RVO2", "Genetic", "shared", {"N": 12, "loops": 3}, 1),
    ("Boids", "GeneticGreedy", "pedestrian", {"N": 10, "loops": 2}, 2),
    ("Vision", "Simulated Annealing", "pedestrian", {"K": 2}, 2),
]


@pytest.mark.parametrize("model, algorithm, scope, algorithm_set, jobs", CALIBRATED)
def test_report_and_parameters_are_what_calibrate_writes(tmp_path, model, algorithm, scope,
                                                         algorithm_set, jobs):
    experiment = vestra.read(example("crossing-flows.ana"))
    found = vestra.calibrate(experiment, model, "Difference", algorithm, seed=3, jobs=jobs,
                             scope=scope, algorithm_set=algorithm_set)
    found.params.save(tmp_path / "module.prm")
    report = batch("calibrate", example("crossing-flows.ana"), "--model", model, "--metric",
                   "Difference", "--algorithm", algorithm, "--seed", 3, "--jobs", jobs, "--scope",
                   scope, *setting_arguments("--algorithm-set", algorithm_set),
                   "--save-params", tmp_path / "batch.prm", "--trace", tmp_path / "trace.csv")
    assert found.report == report
    assert (tmp_path / "module.prm").read_text() == (tmp_path / "batch.prm").read_text()
    trace = [line.split(",") for line in (tmp_path / "trace.csv").read_text().splitlines()[1:]]
    assert [[f"{cost:.9g}", f"{best:.9g}"] for cost, best in found.trace] == \
        [row[1:] for row in trace]
    assert (found.evaluations, f"{found.initial_cost:.9g}") == (len(trace), trace[0][1])
    assert not found.cancelled


@pytest.mark.parametrize("model", ["Helbing", "RVO2"])
def test_saved_parameters_reload_to_the_reported_cost(tmp_path, model):
    experiment = vestra.read(example("corridor-juelich.txt"))
    found = vestra.calibrate(experiment, model, "Difference", "Greedy", seed=5)
    found.params.save(tmp_path / "best.prm")
    for params in (found.params, tmp_path / "best.prm"):
        assert vestra.evaluate(experiment, model, "Difference", params=params) == found.best_cost
    printed = batch("evaluate", example("corridor-juelich.txt"), "--model", model, "--metric",
                    "Difference", "--load-params", tmp_path / "best.prm")
    assert printed.strip() == f"{found.best_cost:.9g}"
    assert found.best_cost <= found.initial_cost


def test_shared_values_over_several_recordings_score_each_as_calibrate_does():
    names = ["corridor-crossing.ana", "crossing-flows.ana"]
    found = vestra.calibrate([vestra.read(example(n)) for n in names], "RVO2", "Difference",
                             "Greedy", seed=1, scope="shared")
    printed = batch("calibrate", *map(example, names), "--model", "RVO2", "--metric",
                    "Difference", "--algorithm", "Greedy", "--scope", "shared", "--seed", 1)
    report, table = printed.split("\n#--SCORES PER RECORDING--\n\nstart\tbest\trecording\n")
    assert found.report == report
    assert [f"{s:.9g}\t{b:.9g}" for s, b in zip(found.start_scores, found.best_scores)] == \
        [line.rsplit("\t", 1)[0] for line in table.splitlines()]
    assert (found.params.scope, found.params.values.shape) == ("shared", (1, 5))


def test_cancel_from_another_thread_keeps_the_best_values_found():
    experiment = vestra.read(example("bottleneck.ana"))
    cancel = threading.Event()
    seen = []
    threading.Timer(0.6, cancel.set).start()
    found = vestra.calibrate(experiment, "Helbing", "Difference", "Genetic", seed=1,
                             algorithm_set={"loops": 100000}, cancel=cancel, progress=seen.append)
    assert found.cancelled and "\n# Cancelled after " in found.report
    assert found.best_cost == vestra.evaluate(experiment, "Helbing", "Difference",
                                              params=found.params)
    # A few times a second, and the last figures are the run's own.
    assert 2 <= len(seen) <= 10
    assert seen[-1].evaluations == found.evaluations > seen[0].evaluations


def test_ctrl_c_cancels_and_returns_the_best_values():
    script = textwrap.dedent(f"""
        import os, signal, threading, vestra
        experiment = vestra.read({example("bottleneck.ana")!r})
        threading.Timer(0.5, os.kill, (os.getpid(), signal.SIGINT)).start()
        found = vestra.calibrate(experiment, "Helbing", "Difference", "Genetic", seed=1,
                                 algorithm_set={{"loops": 100000}})
        print(found.cancelled, found.evaluations > 0)
    """)
    done = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True,
                          timeout=60, env=os.environ)
    assert (done.returncode, done.stdout) == (0, "True True\n"), done.stderr


@pytest.mark.parametrize("arguments, message", [
    ({"algorithm": "Guesswork"}, 'unknown algorithm "Guesswork"; the algorithms are "Greedy"'),
    ({"algorithm_set": {"N": "many"}}, 'parameter "N" of "Genetic" needs'),
    ({"seed": -1}, 'seed needs a whole number from 0 to 4294967295, got "-1"'),
    ({"seed": None}, "seed needs a whole number"),
    ({"scope": "crowd"}, 'scope needs pedestrian or shared, got "crowd"'),
    ({"experiments": 2}, "A calibration of several recordings searches values shared"),
    ({"experiments": 0}, "at least one experiment"),
])
def test_bad_request_raises_the_library_message(arguments, message):
    request = {"model": "Boids", "metric": "Difference", "algorithm": "Genetic", "seed": 1,
               "experiments": 1, **arguments}
    request["experiments"] = [vestra.read(example("bottleneck.ana"))] * request["experiments"]
    with pytest.raises(ValueError, match=message):
        vestra.calibrate(**request)


def test_example_script_draws_its_picture_and_saves_what_it_found(tmp_path):
    script = EXAMPLES / "python/calibrate_bottleneck.py"
    done = subprocess.run([sys.executable, str(script), str(tmp_path)], capture_output=True,
                          text=True, timeout=120, env=os.environ)
    assert done.returncode == 0, done.stderr
    assert (tmp_path / "calibrate_bottleneck.png").read_bytes().startswith(b"\x89PNG")
    printed = batch("evaluate", example("bottleneck.ana"), "--model", "Helbing", "--metric",
                    "Difference", "--load-params", tmp_path / "bottleneck-helbing.prm")
    assert f"{float(printed):.6g} calibrated" in done.stdout
