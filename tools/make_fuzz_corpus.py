#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets into tests/fuzz/corpus/.

Seeds: the shipped examples, truncated and corrupted copies, huge and negative counts, NaN and
infinity tokens, very long tokens and binary bytes. Findings of fuzzing runs are added beside
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
    parameters()
    distributions()
    parameter_text()
