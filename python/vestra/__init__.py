"""Crowd models against recorded trajectories, from Python.

The readers, models, metrics and calibration algorithms of ``vestra-batch``, over the same
library: a score here is the score the batch tool prints for the same request, bit for bit, and
parameter files go both ways.

    import vestra
    street = vestra.read("examples/street-eth.txt", format="eth", fps=25)
    vestra.evaluate(street, "RVO2", "Difference")
    fit = vestra.calibrate(street, "RVO2", "Difference", "Greedy", seed=1, scope="shared")
    fit.params.save("street.prm")            # vestra-batch ... --load-params street.prm
    crowd = vestra.simulate(street, "RVO2", params=fit.params)
    crowd.to_dataframe()                     # id, frame, t, x, y, vx, vy

Bad input raises ValueError with the library's message, a file that cannot be read or written
OSError. Evaluations, simulations and calibrations run without the interpreter's lock.
"""

import dataclasses
import numbers
import os
import warnings

import numpy

from . import _vestra
from ._vestra import Experiment, Parameters, Progress, algorithms, metrics, models

__all__ = [
    "Calibration",
    "Experiment",
    "Parameters",
    "Progress",
    "algorithms",
    "calibrate",
    "evaluate",
    "metrics",
    "models",
    "read",
    "simulate",
]

# How often a running calibration calls `progress` and looks for a cancel (s): often enough for a
# live display and a prompt Ctrl-C, rarely enough to cost nothing next to the run.
_PROGRESS_INTERVAL = 0.25


def _text(value, keyword):
    """A keyword's value as the text of the batch tool's option or setting it stands for."""
    # The common kinds first, by exact type: an evaluation of a small recording takes tens of
    # microseconds, and the abstract number checks below would add one to each call.
    kind = type(value)
    if kind is str:
        return value
    if kind is int:
        return str(value)
    if kind is float:
        return repr(value)
    if isinstance(value, bool):
        return "true" if value else "false"
    if isinstance(value, numbers.Integral):
        return str(int(value))
    if isinstance(value, numbers.Real):
        # The shortest text that reads back to the same number.
        return repr(float(value))
    if isinstance(value, (str, os.PathLike)):
        return os.fspath(value)
    if isinstance(value, (tuple, list)):
        # A distribution, "min max [KIND [mean [deviation]]]".
        return " ".join(_text(part, keyword) for part in value)
    raise TypeError(f"{keyword} takes a number or text, not {type(value).__name__}")


def _options(given):
    """(option, keyword, text) of every keyword given a value, as the extension reads them."""
    return [(option, keyword, _text(value, keyword))
            for option, keyword, value in given if value is not None]


def _settings(settings, keyword):
    """A dict of parameter settings as ("Parameter name", text) pairs, in the dict's order."""
    if settings is None:
        return []
    if not hasattr(settings, "items"):
        raise TypeError(f"{keyword} takes a dict of parameter names and values")
    return [(str(name), _text(value, f"{keyword}[{name!r}]")) for name, value in settings.items()]


def _params(params):
    """A parameter file's path and values held in memory, as the extension takes them."""
    if params is None:
        return "", None
    if isinstance(params, Parameters):
        return "", params
    if isinstance(params, (str, os.PathLike)):
        return os.fspath(params), None
    raise TypeError("params takes a parameter file's path or a Parameters, "
                    f"not {type(params).__name__}")


def read(path, format=None, fps=None, unit=None, stride=1, start=None, end=None, max_gap=1.0,
         obstacles=None):
    """Reads a recording as ``vestra-batch info FILE [reading options]`` reads it.

    format: "ana", "juelich", "eth", "csv" or "trajnet" (default: by the extension); fps: frame
    numbers per second; unit: "m", "cm" or "mm" (default: as the file states, else metres);
    stride: keep every stride-th frame; start, end: the time window (s); max_gap: longest
    tracking gap filled in (s); obstacles: a file of segments "x1 y1 x2 y2". What reading
    remarked is in the experiment's ``notes``.
    """
    options = _options([("--format", "format", format), ("--fps", "fps", fps),
                        ("--unit", "unit", unit), ("--stride", "stride", stride),
                        ("--from", "start", start), ("--to", "end", end),
                        ("--max-gap", "max_gap", max_gap), ("--obstacles", "obstacles", obstacles)])
    return _vestra.read(os.fspath(path), options)


def evaluate(experiment, model, metric, set=None, metric_set=None, params=None, jobs=1):
    """The score of one run of `model` over `experiment` by `metric` (lower is better).

    The score ``vestra-batch evaluate`` prints for the same request: set and metric_set are
    {"Parameter name": value} as --set and --metric-set take them, params a parameter file or a
    Parameters (--load-params), jobs the threads that share each step of a large crowd. A score
    that is not a finite number is returned with a RuntimeWarning that says why. Repeated
    evaluations of the same request cost one evaluation each.
    """
    score, problem = _vestra.evaluate(experiment, model, metric, _settings(set, "set"),
                                      _settings(metric_set, "metric_set"), *_params(params),
                                      _options([("--jobs", "jobs", jobs)]))
    if problem:
        warnings.warn(f"the score is {score:.9g}, not a finite number: {problem}.",
                      RuntimeWarning, stacklevel=2)
    return score


def simulate(experiment, model, set=None, params=None, seed=None):
    """The crowd that `model` simulates over `experiment`, as ``vestra-batch simulate`` runs it.

    The result is an Experiment in the same scene: pedestrian i is simulated on the frames on
    which pedestrian i of `experiment` is present. seed, when given, seeds the random generator
    before the run. Its ``write`` writes what ``simulate -o`` writes.
    """
    return _vestra.simulate(experiment, model, _settings(set, "set"), *_params(params),
                            _options([("--seed", "seed", seed)]))


@dataclasses.dataclass(frozen=True)
class Calibration:
    """What a calibration found."""

    best_cost: float  #: the cost of one last run with the best values
    initial_cost: float  #: the cost of the first evaluation, at the starting values
    evaluations: int
    #: evaluations × 2, float32: each evaluation's cost and the lowest cost up to it
    trace: numpy.ndarray
    params: Parameters  #: the best values, in the calibration's scope
    cancelled: bool  #: stopped early (Ctrl-C or `cancel`), with the best values found so far
    seed: int
    #: what ``vestra-batch calibrate`` prints: the progress and the best-parameter report
    report: str
    #: each recording's score at the starting values and at the best values
    start_scores: list
    best_scores: list


def _follow(job, progress, cancel):
    """Waits for a calibration's end, calling `progress` and passing `cancel` on meanwhile.

    The first Ctrl-C cancels the run, which then ends as a finished one does, with the best values
    found; a second one stops waiting and is raised.
    """
    interrupted = False
    while True:
        try:
            while not job.wait(_PROGRESS_INTERVAL):
                if progress is not None:
                    progress(job.figures())
                if cancel is not None and cancel.is_set():
                    job.cancel()
            break
        except KeyboardInterrupt:
            if interrupted:
                raise
            interrupted = True
            job.cancel()
    if progress is not None:
        progress(job.figures())


def calibrate(experiments, model, metric, algorithm, seed, jobs=1, scope="pedestrian", set=None,
              metric_set=None, algorithm_set=None, params=None, progress=None, cancel=None):
    """Calibrates `model`'s agent parameters as ``vestra-batch calibrate`` does.

    experiments: one Experiment, or a list of them (scope "shared": one value of each parameter
    for all pedestrians; their cost is the mean of their scores). seed seeds the run, which
    repeats exactly with it; jobs evaluates on that many threads (0: one per core); set,
    metric_set and algorithm_set are {"Parameter name": value}; params starts from a parameter
    file or Parameters. progress(Progress) is called a few times a second. Ctrl-C, or setting
    `cancel` (a threading.Event) from another thread, stops the run after the evaluations in
    progress and returns the best values found.
    """
    if isinstance(experiments, Experiment):
        experiments = [experiments]
    experiments = list(experiments)
    if not experiments:
        raise ValueError("calibrate needs at least one experiment.")
    job = _vestra.CalibrationJob(
        experiments, model, metric, algorithm, _settings(set, "set"),
        _settings(metric_set, "metric_set"), _settings(algorithm_set, "algorithm_set"),
        *_params(params),
        _options([("--seed", "seed", seed), ("--jobs", "jobs", jobs), ("--scope", "scope", scope)]))
    try:
        _follow(job, progress, cancel)
    finally:
        # Whatever ended the wait, the run does not go on unseen.
        job.cancel()
        job.join()
    outcome = job.outcome()
    return Calibration(best_cost=outcome.best_cost, initial_cost=outcome.initial_cost,
                       evaluations=outcome.evaluations, trace=outcome.trace,
                       params=outcome.params, cancelled=outcome.cancelled, seed=int(seed),
                       report=outcome.report, start_scores=list(outcome.start_scores),
                       best_scores=list(outcome.best_scores))
