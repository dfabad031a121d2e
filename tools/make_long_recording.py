#!/usr/bin/env python3
"""Writes a long recording in the juelich text format: one laboratory-like run, repeated.

One run is 60 pedestrians crossing a 10 m corridor in both directions, all of them entering
within the first four seconds, at 16 frames per second. The file holds COPIES of that run one
after another in time, each copy with fresh ids, so the recording grows in length while no more
than one run's pedestrians are ever present at once. An evaluation of such a file should cost in
proportion to its samples, that is to the number of copies. Deterministic; standard library
only. Run from the repository root:

  python3 tools/make_long_recording.py COPIES [OUTPUT [SEED]]

OUTPUT defaults to long-COPIES.txt in the working directory. SEED (default 11) chooses the
walkers of the run, so that different seeds give different recordings of the same corridor.
"""
import math
import random
import sys

FPS = 16
WALKERS = 60            # pedestrians per run
CORRIDOR_LENGTH = 10.0  # m
CORRIDOR_WIDTH = 3.0    # m
ENTRY_WINDOW = 4.0      # s: every walker of a run enters within this time
PAUSE = 8               # frames between the last frame of one copy and the first of the next


def walk(rng, start, goal, speed, first_frame):
    """Frames and positions (cm) of one walker from start to goal, with a little sway."""
    (x0, y0), (x1, y1) = start, goal
    length = math.hypot(x1 - x0, y1 - y0)
    ux, uy = (x1 - x0) / length, (y1 - y0) / length
    phase = rng.uniform(0.0, 2.0 * math.pi)
    rows = []
    k = 0
    while speed * k / FPS <= length:
        s = speed * k / FPS
        side = 0.05 * math.sin(2.0 * math.pi * 0.9 * k / FPS + phase)  # step rhythm, m
        rows.append((first_frame + k, 100.0 * (x0 + ux * s - uy * side),
                     100.0 * (y0 + uy * s + ux * side)))
        k += 1
    return rows


def one_run(seed):
    """The walkers of one run: a list of rows (frame, x/cm, y/cm) per walker, frames from 0."""
    rng = random.Random(seed)
    walkers = []
    for i in range(WALKERS):
        y_start = rng.uniform(0.3, CORRIDOR_WIDTH - 0.3)
        y_goal = rng.uniform(0.3, CORRIDOR_WIDTH - 0.3)
        start, goal = ((0.0, y_start), (CORRIDOR_LENGTH, y_goal)) if i % 2 == 0 else \
            ((CORRIDOR_LENGTH, y_start), (0.0, y_goal))
        first = round(rng.uniform(0.0, ENTRY_WINDOW) * FPS)
        walkers.append(walk(rng, start, goal, rng.uniform(1.1, 1.5), first))
    return walkers


def main():
    if len(sys.argv) not in (2, 3, 4) or not sys.argv[1].isdigit() or int(sys.argv[1]) < 1 \
            or (len(sys.argv) == 4 and not sys.argv[3].isdigit()):
        sys.exit(__doc__)
    copies = int(sys.argv[1])
    output = sys.argv[2] if len(sys.argv) >= 3 else "long-%d.txt" % copies
    walkers = one_run(int(sys.argv[3]) if len(sys.argv) == 4 else 11)
    span = max(rows[-1][0] for rows in walkers) + 1 + PAUSE
    with open(output, "w") as out:
        out.write("# %d copies of one run of %d pedestrians in a 10 m corridor, one after\n"
                  % (copies, WALKERS))
        out.write("# another (synthetic, tools/make_long_recording.py).\n")
        out.write("# framerate: %d fps\n" % FPS)
        out.write("# id frame x/cm y/cm\n")
        for c in range(copies):
            for i, rows in enumerate(walkers):
                for frame, x, y in rows:
                    out.write("%d %d %.2f %.2f\n" % (c * WALKERS + i + 1, c * span + frame, x, y))


if __name__ == "__main__":
    main()
