#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets into tests/fuzz/corpus/.

Seeds: the shipped examples (and example recordings, tools/make_recordings.py), truncated and
corrupted copies, huge and negative counts, NaN and infinity tokens, very long tokens, gaps,
repeated rows, far-apart frames and binary bytes. Findings of fuzzing runs are added beside
them by hand (tests/fuzz/corpus/<target>/finding-*). Run from the repository root.
"""
import os
import random

ROOT = "tests/fuzz/corpus"


def write(target, name, data):
    folder = os.path.join(ROOT, target)
    os.makedirs(folder, exist_ok=True)
    if isinstance(data, str):
        data = data.encode("latin-1")
    with open(os.path.join(folder, name), "wb") as out:
        out.write(data)


def ana():
    rng = random.Random(1)
    small = ("nped 2 nobs 1 nrow 3\ntime(s) 0 0.1 0.2\nobstacles 0 -1 0 1\n"
             "center_1 0 0 0.1 0 0.2 0\nori_center_1 0 0 0\nspd_center_1 1 1 1\n"
             "center_2 1 1 1 0.9 1 0.8\nori_center_2 -1.57 -1.57 -1.57\nspd_center_2 1 1 1\n")
    write("ana", "small", small)
    for name in ("crossing-flows", "corridor-crossing"):
        text = open("examples/%s.ana" % name, "rb").read()
        write("ana", name, text[:4000])
        write("ana", name + "-truncated", text[: len(text) // 3])
        corrupted = bytearray(text[:3000])
        for _ in range(20):
            corrupted[rng.randrange(len(corrupted))] = rng.randrange(256)
        write("ana", name + "-corrupted", bytes(corrupted))
    write("ana", "huge-counts", "nped 2000000000 nrow 2000000000 nobs 2000000000 center_1 1 2")
    write("ana", "negative-counts", "nped -1 nrow 3 nobs -5")
    write("ana", "beyond-int", "nped 99999999999999999999 nrow 1")
    write("ana", "nan-inf", small.replace("0.1 0", "nan inf").replace("1 1 1", "-inf -nan 1e999"))
    write("ana", "long-token", "nped 1 nrow 1 time(s) " + "9" * 5000 + " center_1 " + "-" * 3000)
    write("ana", "binary", bytes(rng.randrange(256) for _ in range(600)))
    write("ana", "zero-padded-key", small.replace("center_1", "center_01"))
    write("ana", "comments", "# nped 5\nnped 1 # nrow 9\nnrow 1 time(s) 0 center_1 1#x 2 "
                             "ori_center_1 0 spd_center_1 1\n")


def recording_seeds(target, example, rng):
    """The start of an example recording, a truncated and a corrupted copy."""
    text = open("examples/" + example, "rb").read()[:4000]
    write(target, "example", text)
    write(target, "example-truncated", text[: len(text) // 3])
    corrupted = bytearray(text)
    for _ in range(20):
        corrupted[rng.randrange(len(corrupted))] = rng.randrange(256)
    write(target, "example-corrupted", bytes(corrupted))
    write(target, "binary", bytes(rng.randrange(256) for _ in range(600)))


def columns(target, row):
    """Seeds of the column formats; row(id, frame, x, y) writes one line."""
    rng = random.Random(3)
    lines = lambda rows: "".join(row(*r) for r in rows)
    write(target, "gaps", lines([(1, f, f * 0.1, 0) for f in (0, 1, 2, 5, 6, 30, 31)]))
    write(target, "repeated", lines([(1, 0, 0, 0), (1, 0, 0, 0), (1, 1, 1, 0), (1, 1, 2, 0)]))
    write(target, "far-frames", lines([(1, 0, 0, 0), (1, 1, 0, 0), (2, 4000000000000, 1, 1),
                                       (2, 4000000000001, 1, 1)]))
    write(target, "single-rows", lines([(i, i, 0, 0) for i in range(20)]))
    write(target, "shuffled", lines(rng.sample([(i % 3, i // 3 * 10, i, -i) for i in range(30)],
                                               30)))
    write(target, "nan-inf", lines([(1, 0, "nan", 0), (1, 1, "inf", "-1e39")]))
    write(target, "eight-columns", "0 1 1 0 2 0 0 0\n10 1 2 0 3 0 0 0\n20 1 3 0 4 0 0 0\n")
    write(target, "long-token", lines([(1, 0, "9" * 5000, 0), (1, 1, 0, 0)]))


def recordings():
    rng = random.Random(5)
    for target, example in (("juelich", "corridor-juelich.txt"), ("eth", "street-eth.txt"),
                            ("csv", "plaza-csv.csv"), ("trajnet", "crossing-trajnet.ndjson")):
        recording_seeds(target, example, rng)
    columns("juelich", lambda i, f, x, y: "%s %s %s %s\n" % (i, f, x, y))
    write("juelich", "comments", "# framerate: 16 fps\n# id frame x/cm y/cm\n# fps 25 in mm\n"
                                 "1 0 0 0 170\n1 1 10 0 170\n")
    columns("eth", lambda i, f, x, y: "%s\t%s\t%s\t%s\n" % (f, i, x, y))
    columns("csv", lambda i, f, x, y: "%s,%s,%s,%s\n" % (i, f, x, y))
    for name in list(os.listdir(os.path.join(ROOT, "csv"))):
        if not name.startswith("example") and name != "binary":
            path = os.path.join(ROOT, "csv", name)
            body = open(path, "rb").read()
            open(path, "wb").write(b"id,frame,x,y\n" + body)
    write("csv", "quotes-and-time", '"T", "ID" ,x [cm],"y",note\n0.5,"a ""b""",1,2,"x, y"\n'
                                    '0.75,a "b",2,2,\n1,"a ""b""",3,2,z\n')
    write("csv", "bad-header", "id;frame;x;y\n1;0;0;0\n")
    track = '{"track": {"f": %d, "p": %d, "x": %s, "y": %s}}\n'
    write("trajnet", "gaps", "".join(track % (f, 1, f * 0.04, 0) for f in (0, 10, 20, 50, 60, 400)))
    write("trajnet", "scene-values", '{"scene": {"id": 0, "tag": [1, [2, {"a": null}]], '
                                     '"s": "x\\"y", "ok": true}}\n' + track % (0, 1, 0, 0) +
                                     track % (10, 1, 1, 0))
    write("trajnet", "key-order", '{"track":{"y":1,"x":2e-1,"p":3,"f":0}}\n'
                                  '{"track":{"p":3,"f":10,"x":-0.5E+1,"y":1}}\n')
    write("trajnet", "deep", '{"scene": ' + "[" * 40 + "]" * 40 + "}\n")
    write("trajnet", "not-json", "{'track': {'f': 0}}\n{\"track\": {\"f\": 01}}\n")


def parameters():
    header = "#--PARAMETERS--\n\n"
    full = header + "".join("%%parameter_%d\n    0x1p-1\n    0x1.8p+0\n    1.25\n" % k
                            for k in range(4))
    write("parameters", "complete", full)
    write("parameters", "short", header + "%parameter_0\n 1 2\n")
    write("parameters", "missing-section", full.replace("%parameter_2", "%parameter_9"))
    write("parameters", "nan-inf", full.replace("1.25", "nan").replace("0x1p-1", "-inf"))
    write("parameters", "repeated", full + "%parameter_0\n 1\n")
    write("parameters", "binary", bytes(random.Random(2).randrange(256) for _ in range(300)))
    write("parameters", "long-token", header + "%parameter_0 " + "1" * 4000 + " 2 3\n")


def distributions():
    for name, text in [("uniform", "0 1"), ("normal", "0.5 1.5 NORMAL 1 0.2"),
                       ("bad-kind", "0 1 GAUSS 1 2"), ("nan", "nan inf NORMAL -inf nan"),
                       ("reversed", "2 1 UNIFORM"), ("single", "3"), ("long", "1 " * 2000),
                       ("exponent", "1e38 -1e38 NORMAL 1e-45 3e38")]:
        write("distribution", name, text)


def parameter_text():
    for name, text in [("number", "  42abc"), ("float", "1e-3"), ("true", "true"),
                       ("hex", "0x1p-3"), ("huge", "99999999999999999999"), ("nan", "nan"),
                       ("empty", ""), ("binary", "\x00\xff\x7f true")]:
        write("parameter-text", name, text)


if __name__ == "__main__":
    ana()
    recordings()
    parameters()
    distributions()
    parameter_text()
