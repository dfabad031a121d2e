#!/usr/bin/env python3
"""Writes the sample experiments in examples/.

The trajectories are synthetic: each pedestrian walks towards its goal at its own preferred
speed and keeps clear of the others and of the walls with a simple repulsion, sampled every
0.1 s. They are meant as small, readable inputs for a first look and for the tests, not as
measurements. Run from the repository root: python3 tools/make_examples.py
"""
import math
import random

DT = 0.1


def simulate(starts, goals, speeds, walls, frames, door=None, substeps=4):
    n = len(starts)
    pos = [list(p) for p in starts]
    vel = [[0.0, 0.0] for _ in range(n)]
    track = [[] for _ in range(n)]
    h = DT / substeps
    for frame in range(frames):
        for i in range(n):
            track[i].append((pos[i][0], pos[i][1], vel[i][0], vel[i][1]))
        for _ in range(substeps):
            acc = []
            for i in range(n):
                gx, gy = goals[i]
                if door is not None and pos[i][0] < door[0]:
                    gx, gy = door  # head for the door until through it
                dx, dy = gx - pos[i][0], gy - pos[i][1]
                d = math.hypot(dx, dy)
                want = min(speeds[i], d) / d if d > 1e-6 else 0.0
                ax = (dx * want - vel[i][0]) / 0.5
                ay = (dy * want - vel[i][1]) / 0.5
                for j in range(n):
                    if j == i:
                        continue
                    rx, ry = pos[i][0] - pos[j][0], pos[i][1] - pos[j][1]
                    r = math.hypot(rx, ry)
                    if 1e-6 < r < 2.0:
                        f = 3.0 * math.exp((0.45 - r) / 0.25)
                        ax += f * rx / r
                        ay += f * ry / r
                for (x1, y1, x2, y2) in walls:
                    ex, ey = x2 - x1, y2 - y1
                    t = ((pos[i][0] - x1) * ex + (pos[i][1] - y1) * ey) / (ex * ex + ey * ey)
                    t = max(0.0, min(1.0, t))
                    rx, ry = pos[i][0] - (x1 + t * ex), pos[i][1] - (y1 + t * ey)
                    r = math.hypot(rx, ry)
                    if 1e-6 < r < 1.0:
                        f = 5.0 * math.exp((0.25 - r) / 0.15)
                        ax += f * rx / r
                        ay += f * ry / r
                acc.append((ax, ay))
            for i in range(n):
                vel[i][0] += acc[i][0] * h
                vel[i][1] += acc[i][1] * h
                s = math.hypot(vel[i][0], vel[i][1])
                if s > 2.0:
                    vel[i][0] *= 2.0 / s
                    vel[i][1] *= 2.0 / s
                pos[i][0] += vel[i][0] * h
                pos[i][1] += vel[i][1] * h
    return track


def write_ana(path, title, track, walls):
    frames = len(track[0])
    with open(path, "w") as out:
        out.write("# %s\n" % title)
        out.write("# Synthetic trajectories written by tools/make_examples.py; metres, seconds.\n")
        out.write("nped %d\nnobs %d\nnrow %d\n" % (len(track), len(walls), frames))
        out.write("time(s)")
        for k in range(frames):
            out.write(" %.2f" % (k * DT))
        out.write("\n")
        out.write("obstacles\n")
        for w in walls:
            out.write("  %.3f %.3f %.3f %.3f\n" % w)
        for i, samples in enumerate(track):
            out.write("center_%d" % (i + 1))
            for (x, y, _, _) in samples:
                out.write(" %.4f %.4f" % (x, y))
            out.write("\nori_center_%d" % (i + 1))
            for (_, _, vx, vy) in samples:
                out.write(" %.5f" % math.atan2(vy, vx))
            out.write("\nspd_center_%d" % (i + 1))
            for (_, _, vx, vy) in samples:
                out.write(" %.4f" % math.hypot(vx, vy))
            out.write("\n")


def corridor():
    rng = random.Random(11)
    walls = [(-1.0, 0.0, 11.0, 0.0), (-1.0, 3.0, 11.0, 3.0)]
    starts, goals, speeds = [], [], []
    for i in range(6):
        y = 0.5 + 0.4 * i + rng.uniform(-0.1, 0.1)
        starts.append((rng.uniform(0.0, 1.0), y))
        goals.append((10.0, y))
        speeds.append(rng.uniform(1.1, 1.5))
    for i in range(6):
        y = 0.5 + 0.4 * i + rng.uniform(-0.1, 0.1)
        starts.append((rng.uniform(9.0, 10.0), y))
        goals.append((0.0, y))
        speeds.append(rng.uniform(1.1, 1.5))
    track = simulate(starts, goals, speeds, walls, 100)
    write_ana("examples/corridor-crossing.ana",
              "Two groups of six crossing in a 3 m wide corridor", track, walls)


def bottleneck():
    rng = random.Random(23)
    walls = [(4.0, -3.0, 4.0, -0.6), (4.0, 0.6, 4.0, 3.0),
             (0.0, -3.0, 8.0, -3.0), (0.0, 3.0, 8.0, 3.0)]
    starts, goals, speeds = [], [], []
    for i in range(10):
        starts.append((rng.uniform(0.5, 2.5), rng.uniform(-2.5, 2.5)))
        goals.append((7.5, rng.uniform(-1.0, 1.0)))
        speeds.append(rng.uniform(1.0, 1.4))
    track = simulate(starts, goals, speeds, walls, 200, door=(4.6, 0.0))
    write_ana("examples/bottleneck.ana",
              "Ten pedestrians through a 1.2 m wide door in a wall", track, walls)


def crossing():
    rng = random.Random(5)
    starts, goals, speeds = [], [], []
    for i in range(4):
        starts.append((0.0, 3.0 + 0.6 * i + rng.uniform(-0.1, 0.1)))
        goals.append((8.0, 3.0 + 0.6 * i))
        speeds.append(rng.uniform(1.2, 1.4))
    for i in range(4):
        starts.append((3.0 + 0.6 * i + rng.uniform(-0.1, 0.1), 0.0))
        goals.append((3.0 + 0.6 * i, 8.0))
        speeds.append(rng.uniform(1.2, 1.4))
    track = simulate(starts, goals, speeds, [], 80)
    write_ana("examples/crossing-flows.ana",
              "Two flows of four crossing at a right angle, no walls", track, [])


if __name__ == "__main__":
    corridor()
    bottleneck()
    crossing()
