#!/usr/bin/env python3
"""Writes small example recordings, one per trajectory format, into examples/.

Pedestrians enter a scene at different times and leave it at the far side, so that each file
has pedestrians coming and going; some files also lose a pedestrian for a while, as trackers
do. The walks are synthetic (straight lines with a little sway, no avoidance), meant to show
what each reader takes, not to be measurements. Run from the repository root:
python3 tools/make_recordings.py

  examples/corridor-juelich.txt      id frame x/cm y/cm z/cm, 16 fps stated in a comment
  examples/street-eth.txt            frame id x y (tabs), frame numbers step by 10 at 25 fps:
                                     read with --format eth --fps 25
  examples/plaza-csv.csv             t,id,x,y plus extra columns, text ids, time in seconds
  examples/crossing-trajnet.ndjson   scene and track rows, frames step by 10: --fps 25
  examples/corridor-presence.ana     ANA with present_%d keys
"""
import json
import math
import random


def walk(rng, start, goal, speed, t0, dt, sway=0.05):
    """Samples (t, x, y) from t0 every dt until the goal is reached."""
    (x0, y0), (x1, y1) = start, goal
    length = math.hypot(x1 - x0, y1 - y0)
    ux, uy = (x1 - x0) / length, (y1 - y0) / length
    phase = rng.uniform(0.0, 2.0 * math.pi)
    samples = []
    k = 0
    while True:
        s = speed * k * dt
        if s > length:
            return samples
        side = sway * math.sin(2.0 * math.pi * 0.9 * k * dt + phase)  # step rhythm
        samples.append((t0 + k * dt, x0 + ux * s - uy * side, y0 + uy * s + ux * side))
        k += 1


def corridor_walkers(rng, count, dt):
    """Walkers through a 10 m long, 3 m wide corridor in both directions."""
    walkers = []
    for i in range(count):
        y = rng.uniform(0.5, 2.5)
        start, goal = ((0.0, y), (10.0, y)) if i % 2 == 0 else ((10.0, y), (0.0, y))
        t0 = round(rng.uniform(0.0, 6.0) / dt) * dt
        walkers.append(walk(rng, start, goal, rng.uniform(1.1, 1.5), t0, dt))
    return walkers


def juelich():
    rng = random.Random(3)
    fps = 16
    walkers = corridor_walkers(rng, 8, 1.0 / fps)
    with open("examples/corridor-juelich.txt", "w") as out:
        out.write("# Eight pedestrians entering and leaving a 10 m corridor (synthetic,\n")
        out.write("# tools/make_recordings.py). Pedestrian 3 is lost for half a second, which\n")
        out.write("# is filled in; pedestrian 6 for two seconds, which makes two tracks.\n")
        out.write("# framerate: %d fps\n" % fps)
        out.write("# id frame x/cm y/cm z/cm\n")
        for i, samples in enumerate(walkers):
            for k, (t, x, y) in enumerate(samples):
                if i == 2 and 30 <= k < 38 or i == 5 and 40 <= k < 72:
                    continue
                out.write("%d %d %.2f %.2f %.2f\n" % (i + 1, round(t * fps), 100 * x, 100 * y,
                                                      170.0 + 2.0 * math.sin(k)))


def street():
    rng = random.Random(7)
    dt = 0.4  # annotated 2.5 times per second, every 10th frame of a 25 fps video
    rows = []
    for i in range(7):
        x = rng.uniform(2.0, 13.0)
        start, goal = ((x, -1.0), (x + rng.uniform(-3, 3), 9.0)) if i % 3 else \
            ((-1.0, rng.uniform(1, 7)), (16.0, rng.uniform(1, 7)))
        samples = walk(rng, start, goal, rng.uniform(1.0, 1.6), round(rng.uniform(0, 12) / dt) * dt,
                       dt, sway=0.03)
        for k, (t, px, py) in enumerate(samples):
            if i == 1 and k == 6:
                continue  # one annotation missing: a gap of 0.8 s, filled in
            rows.append((round(t * 25), i + 1, px, py))
    with open("examples/street-eth.txt", "w") as out:
        for frame, ident, x, y in sorted(rows):
            out.write("%d\t%d\t%.2f\t%.2f\n" % (frame, ident, x, y))


def plaza():
    rng = random.Random(13)
    dt = 0.1
    rows = []
    for i in range(6):
        angle = rng.uniform(0, 2 * math.pi)
        start = (6 + 6 * math.cos(angle), 6 + 6 * math.sin(angle))
        goal = (12 - start[0], 12 - start[1])
        samples = walk(rng, start, goal, rng.uniform(1.0, 1.4), round(rng.uniform(0, 5) / dt) * dt,
                       dt)
        for k, (t, x, y) in enumerate(samples):
            rows.append((round(t, 3), "walker-%c" % (ord("a") + i), x, y,
                         "group %d, %s" % (i % 2 + 1, "left" if i % 2 else "right")))
    with open("examples/plaza-csv.csv", "w") as out:
        out.write("t,id,x,y,label\n")
        for t, ident, x, y, label in sorted(rows):
            out.write('%.3f,%s,%.3f,%.3f,"%s"\n' % (t, ident, x, y, label))


def trajnet():
    rng = random.Random(17)
    dt = 0.4
    tracks = []
    for i in range(5):
        y = rng.uniform(1, 5)
        start, goal = ((0.0, y), (12.0, y + rng.uniform(-1, 1))) if i % 2 else \
            ((12.0, y), (0.0, y + rng.uniform(-1, 1)))
        samples = walk(rng, start, goal, rng.uniform(1.1, 1.4), round(rng.uniform(0, 6) / dt) * dt,
                       dt, sway=0.03)
        for t, x, py in samples:
            tracks.append((round(t * 25), i + 1, round(x, 2) + 0.0, round(py, 2) + 0.0))
    tracks.sort()
    with open("examples/crossing-trajnet.ndjson", "w") as out:
        out.write(json.dumps({"scene": {"id": 0, "p": 1, "s": tracks[0][0], "e": tracks[-1][0],
                                        "fps": 2.5, "tag": [1, []]}}) + "\n")
        for f, p, x, y in tracks:
            out.write(json.dumps({"track": {"f": f, "p": p, "x": x, "y": y}}) + "\n")


def presence_ana():
    rng = random.Random(29)
    dt = 0.1
    walkers = corridor_walkers(rng, 6, dt)
    frames = max(round(s[-1][0] / dt) for s in walkers) + 1
    with open("examples/corridor-presence.ana", "w") as out:
        out.write("# Six pedestrians entering and leaving a 10 m corridor (synthetic,\n")
        out.write("# tools/make_recordings.py); metres, seconds. present_N FIRST LAST gives the\n")
        out.write("# frames on which pedestrian N is present; other frames repeat the nearest\n")
        out.write("# position with speed 0, so that readers without presence still read it.\n")
        out.write("nped %d\nnobs 2\nnrow %d\n" % (len(walkers), frames))
        out.write("time(s) %s\n" % " ".join("%.1f" % (k * dt) for k in range(frames)))
        out.write("obstacles\n  -1 0 11 0\n  -1 3 11 3\n")
        for i, samples in enumerate(walkers):
            first = round(samples[0][0] / dt)
            last = first + len(samples) - 1
            centre, direction, speed = [], [], []
            for k in range(frames):
                j = min(max(k - first, 0), len(samples) - 1)
                _, x, y = samples[j]
                _, xa, ya = samples[max(j - 1, 0)]
                _, xb, yb = samples[min(j + 1, len(samples) - 1)]
                vx, vy = (xb - xa) / dt, (yb - ya) / dt
                if 0 < j < len(samples) - 1:
                    vx, vy = vx / 2, vy / 2
                inside = first <= k <= last
                centre.append("%.3f %.3f" % (x, y))
                direction.append("%.4f" % math.atan2(vy, vx))
                speed.append("%.3f" % (math.hypot(vx, vy) if inside else 0.0))
            out.write("present_%d %d %d\n" % (i + 1, first, last))
            out.write("center_%d %s\n" % (i + 1, " ".join(centre)))
            out.write("ori_center_%d %s\n" % (i + 1, " ".join(direction)))
            out.write("spd_center_%d %s\n" % (i + 1, " ".join(speed)))


if __name__ == "__main__":
    juelich()
    street()
    plaza()
    trajnet()
    presence_ana()
