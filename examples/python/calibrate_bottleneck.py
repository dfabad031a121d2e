#!/usr/bin/env python3
"""Calibrates a crowd model on a shipped recording and draws what the calibration found.

Reads the bottleneck example (ten pedestrians through a door), calibrates each pedestrian's
Helbing parameters by Greedy search against the Difference metric, writes the best values as
bottleneck-helbing.prm (for `vestra-batch --load-params` and the desktop program) and draws
calibrate_bottleneck.png: the measured paths (red) against those simulated with the calibrated
values (blue), and each evaluation's cost with the best cost so far. About a second.

    PYTHONPATH=build/python python3 examples/python/calibrate_bottleneck.py [FOLDER]
"""

import pathlib
import sys

import matplotlib

matplotlib.use("Agg")  # no display needed
import matplotlib.pyplot as plt  # noqa: E402 (after the backend is chosen)

import vestra  # noqa: E402

EXAMPLES = pathlib.Path(__file__).resolve().parent.parent


def draw_paths(axes, measured, simulated):
    for crowd, colour, label in [(measured, "tab:red", "measured"),
                                 (simulated, "tab:blue", "simulated, calibrated")]:
        positions = crowd.positions  # frames × pedestrians × 2, NaN where absent
        for pedestrian in range(crowd.pedestrians):
            axes.plot(positions[:, pedestrian, 0], positions[:, pedestrian, 1], color=colour,
                      linewidth=1, label=label if pedestrian == 0 else None)
    for x1, y1, x2, y2 in measured.obstacles:
        axes.plot([x1, x2], [y1, y2], color="darkred", linewidth=2.5)
    axes.set_aspect("equal")
    axes.set_xlabel("x (m)")
    axes.set_ylabel("y (m)")
    axes.legend(loc="lower center", bbox_to_anchor=(0.5, 1.0), ncol=2, fontsize="small",
                frameon=False)


def draw_costs(axes, found):
    evaluation = range(1, found.evaluations + 1)
    axes.plot(evaluation, found.trace[:, 0], ".", markersize=2, color="0.6", label="cost")
    axes.plot(evaluation, found.trace[:, 1], color="tab:blue", label="best")
    axes.set_xlabel("evaluation")
    axes.set_ylabel("Difference (m²)")
    axes.set_ylim(top=2.5 * found.initial_cost)
    axes.legend(loc="lower center", bbox_to_anchor=(0.5, 1.0), ncol=2, fontsize="small",
                frameon=False)


def main(folder):
    measured = vestra.read(EXAMPLES / "bottleneck.ana")
    found = vestra.calibrate(measured, "Helbing", "Difference", "Greedy", seed=1,
                             progress=lambda figures: print(f"\r{figures}", end=""))
    print(f"\nDifference {found.initial_cost:.6g} at the defaults, {found.best_cost:.6g} "
          f"calibrated, after {found.evaluations} evaluations")
    found.params.save(folder / "bottleneck-helbing.prm")
    simulated = vestra.simulate(measured, "Helbing", params=found.params)

    figure, (paths, costs) = plt.subplots(1, 2, figsize=(9, 3.4),
                                          gridspec_kw={"width_ratios": [1.5, 1]})
    draw_paths(paths, measured, simulated)
    draw_costs(costs, found)
    figure.tight_layout()
    figure.savefig(folder / "calibrate_bottleneck.png", dpi=72)


if __name__ == "__main__":
    main(pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "."))
