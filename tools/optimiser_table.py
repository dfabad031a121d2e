#!/usr/bin/env python3
"""Prints the README's tables of the calibration algorithms' comparison from the improvement
files that vestra_optimiser_bench writes into VESTRA_OPTIMISER_TRACES (one CSV file per
problem, `algorithm,seed,evaluation,best` on every improvement and at a run's last evaluation).

    VESTRA_OPTIMISER_TRACES=traces ./build/bench/vestra_optimiser_bench \
        --benchmark_filter='^optimisers/'
    python3 tools/optimiser_table.py traces

For every scope two tables: how far above the lowest cost any run found each algorithm's median
run ended, with, where at least three of the five seeds came within 1 % of that cost, the median
evaluations they needed in brackets; and the evaluations each algorithm's median run needed to
reach the cost at which the best of the existing algorithms' (the random searches') median run
ended ("—": fewer than three seeds got there), with the ratio of the best new algorithm's figure
to the best existing one's.
"""
import csv
import pathlib
import sys

ALGORITHMS = ["Greedy", "Simulated Annealing", "Genetic", "GeneticGreedy", "CMA-ES", "BOBYQA",
              "Nelder-Mead"]
NEW = {"CMA-ES", "BOBYQA", "Nelder-Mead"}
RECORDINGS = ["bottleneck", "corridor-crossing", "crossing-flows", "corridor-presence",
              "corridor"]
MODELS = ["RVO2", "Helbing"]
INF = float("inf")


def improvements(path):
    """(algorithm, seed) -> [(evaluation, lowest cost so far)], in order."""
    runs = {}
    with open(path, newline="") as file:
        for row in csv.DictReader(file):
            key = (row["algorithm"], int(row["seed"]))
            runs.setdefault(key, []).append((int(row["evaluation"]), float(row["best"])))
    return runs


def evaluations_to(run, target):
    return next((evaluation for evaluation, best in run if best <= target), INF)


def median(values):
    ordered = sorted(values)
    return ordered[len(ordered) // 2]


def count(value):
    return "—" if value == INF else f"{value:,}"


def seeds_of(runs, algorithm):
    return [runs[key] for key in sorted(runs) if key[0] == algorithm]


def problems(folder, scope):
    for model in MODELS:
        for recording in RECORDINGS:
            path = folder / f"{scope}-{model}-{recording}.csv"
            if path.exists():
                yield model, recording, improvements(path)


def print_tables(folder, scope):
    found = list(problems(folder, scope))
    if not found:
        return
    header = "| Model | Recording | {} | " + " | ".join(ALGORITHMS) + " |{}"
    rule = "|---|---|---|" + "---|" * len(ALGORITHMS)
    print(f"\n{scope}: median gap above the lowest cost at the end (evaluations to within 1 %)\n")
    print(header.format("lowest cost", ""))
    print(rule)
    reaching = []
    for model, recording, runs in found:
        lowest = min(best for run in runs.values() for _, best in run)
        cells, finals = [], {}
        for algorithm in ALGORITHMS:
            seeds = seeds_of(runs, algorithm)
            needed = median([evaluations_to(run, lowest * 1.01) for run in seeds])
            finals[algorithm] = median([run[-1][1] for run in seeds])
            gap = 100.0 * (finals[algorithm] / lowest - 1.0)
            cells.append(f"{gap:.1f} %" if needed == INF else f"{gap:.1f} % ({needed:,})")
        print(f"| {model} | {recording} | {lowest:.4g} | " + " | ".join(cells) + " |")
        leader = min((a for a in ALGORITHMS if a not in NEW), key=lambda a: finals[a])
        target = finals[leader]
        needs = {a: median([evaluations_to(run, target) for run in seeds_of(runs, a)])
                 for a in ALGORITHMS}
        reaching.append((model, recording, leader, target, needs))

    print(f"\n{scope}: evaluations to the median final cost of the best existing algorithm\n")
    print(header.format("cost (whose)", " best new ÷ best existing |"))
    print(rule + "---|")
    for model, recording, leader, target, needs in reaching:
        existing = min(v for a, v in needs.items() if a not in NEW)
        fresh = min(v for a, v in needs.items() if a in NEW)
        ratio = "—" if fresh == INF else f"{fresh / existing:.2f}"
        cells = " | ".join(count(needs[a]) for a in ALGORITHMS)
        print(f"| {model} | {recording} | {target:.4g} ({leader}) | {cells} | {ratio} |")


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: optimiser_table.py FOLDER")
    for scope in ("shared", "pedestrian"):
        print_tables(pathlib.Path(sys.argv[1]), scope)


if __name__ == "__main__":
    main()
