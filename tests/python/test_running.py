"""Evaluating and simulating: the components the module lists, the scores it gives and the
crowds it simulates, each measured against the batch tool's answer to the same request."""

import numpy
import pytest

import vestra
from conftest import RECORDINGS, batch, example, reading_arguments, setting_arguments


def listed():
    """`vestra-batch list` as {kind: {component: [(name, type, default)]}}."""
    kinds, kind, component = {}, None, None
    for line in batch("list").splitlines():
        if not line.startswith(" "):
            kind = kinds.setdefault(line.rstrip(":"), {})
        elif not line.startswith("    "):
            component = kind.setdefault(line.strip(), [])
        else:
            name, rest = line.strip().split(" (", 1)
            type_, default = rest.split(") = ", 1) if ") = " in rest else (rest[:-3], "")
            component.append((name, type_, default))
    return kinds


def test_lists_are_what_list_shows():
    expected = listed()
    for kind, listing in [("Models", vestra.models()), ("Metrics", vestra.metrics()),
                          ("Algorithms", vestra.algorithms())]:
        assert {name: [(p["name"], p["type"], p["default"]) for p in parameters]
                for name, parameters in listing.items()} == expected[kind]


SCORED = [("bottleneck.ana", "Difference", {}),
          ("corridor-presence.ana", "Average Displacement Error", {"Predict": 6}),
          ("street-eth.txt", "Difference", {})]


@pytest.mark.parametrize("name, metric, metric_set", SCORED)
@pytest.mark.parametrize("model", list(vestra.models()))
def test_score_is_what_evaluate_prints(name, metric, metric_set, model):
    options = RECORDINGS[name]
    experiment = vestra.read(example(name), **options)
    expected = batch("evaluate", example(name), *reading_arguments(options), "--model", model,
                     "--metric", metric, *setting_arguments("--metric-set", metric_set))
    # Again after another set-up, so that a kept evaluation scores as a fresh one.
    scores = [vestra.evaluate(experiment, model, metric, metric_set=metric_set) for _ in range(2)]
    vestra.evaluate(experiment, "Boids", "Vorticity")
    scores.append(vestra.evaluate(experiment, model, metric, metric_set=metric_set))
    assert [f"{score:.9g}" for score in scores] == [expected.strip()] * 3


def test_parameter_file_and_settings_score_as_in_the_batch_tool(tmp_path):
    experiment = vestra.read(example("crossing-flows.ana"))
    shared = tmp_path / "shared.prm"
    batch("calibrate", example("bottleneck.ana"), "--model", "RVO2", "--metric", "Difference",
          "--algorithm", "Greedy", "--scope", "shared", "--seed", 1, "--save-params", shared)
    score = vestra.evaluate(experiment, "RVO2", "Difference", params=shared,
                            set={"Speed": (1, 2, "UNIFORM")})
    expected = batch("evaluate", example("crossing-flows.ana"), "--model", "RVO2", "--metric",
                     "Difference", "--load-params", shared, "--set", "Speed=1 2 UNIFORM")
    assert f"{score:.9g}" == expected.strip()


@pytest.mark.parametrize("layout", ["csv", "txt", "ndjson"])
@pytest.mark.parametrize("model, seed", [("Vision", 7), ("RVO2", None), ("Helbing", 3)])
def test_simulated_crowd_is_what_simulate_writes(tmp_path, model, seed, layout):
    measured = vestra.read(example("corridor-juelich.txt"))
    vestra.simulate(measured, model, seed=seed).write(tmp_path / f"module.{layout}")
    batch("simulate", example("corridor-juelich.txt"), "--model", model, "-o",
          tmp_path / f"batch.{layout}", *(["--seed", seed] if seed is not None else []))
    written = [(tmp_path / f"{by}.{layout}").read_bytes() for by in ("module", "batch")]
    assert written[0] == written[1]


def test_simulated_crowd_is_present_where_the_measured_one_is():
    measured = vestra.read(example("corridor-presence.ana"))
    crowd = vestra.simulate(measured, "RVO2")
    assert (crowd.present == measured.present).all()
    assert (crowd.obstacles == measured.obstacles).all()
    assert (numpy.isnan(crowd.positions) == numpy.isnan(measured.positions)).all()


def test_score_that_is_no_number_warns_why(tmp_path):
    alone = tmp_path / "alone.csv"
    alone.write_text("id,t,x,y\n1,0,0,0\n1,0.1,0.1,0\n1,0.2,0.2,0\n")
    with pytest.warns(RuntimeWarning, match="found nothing to compare"):
        score = vestra.evaluate(vestra.read(alone), "RVO2", "Inter-pedestrian distance")
    assert numpy.isnan(score)


@pytest.mark.parametrize("arguments, error, message", [
    ({"model": "Nobody"}, ValueError, 'unknown model "Nobody"; the models are "Boids"'),
    ({"metric": "Nothing"}, ValueError, 'unknown metric "Nothing"'),
    ({"set": {"Mass": 80}}, ValueError, 'the model "RVO2" has no parameter "Mass"'),
    ({"set": {"Speed": "fast"}}, ValueError, 'parameter "Speed" of "RVO2" needs'),
    ({"metric_set": {"Observe": 1.5}}, ValueError, 'parameter "Observe" of "Average Displacement'),
    ({"jobs": -1}, ValueError, 'jobs needs a whole number of threads'),
    ({"params": "/nonexistent.prm"}, FileNotFoundError, "nonexistent.prm"),
    ({"params": example("bottleneck.ana")}, ValueError, "bottleneck.ana"),
    ({"set": ["Speed"]}, TypeError, "set takes a dict"),
])
def test_bad_request_raises_the_library_message(arguments, error, message):
    request = {"model": "RVO2", "metric": "Average Displacement Error", **arguments}
    with pytest.raises(error, match=message):
        vestra.evaluate(vestra.read(example("bottleneck.ana")), **request)
