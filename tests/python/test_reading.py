"""Reading recordings: what vestra.read makes of every shipped format, measured against what
`vestra-batch info`, `convert` and `simulate --measured` make of the same file."""

import numpy
import pytest

import vestra
from conftest import RECORDINGS, batch, example, reading_arguments


def info(path, options):
    """`vestra-batch info` as a dict of its figures, with the notes as a list."""
    figures = {"note": []}
    for line in batch("info", path, *reading_arguments(options)).splitlines():
        if line.startswith("note "):
            figures["note"].append(line[len("note "):])
        else:
            key, value = line.rsplit(" ", 1)
            figures[key] = float(value)
    return figures


WINDOWED = [("street-eth.txt", {"format": "eth", "fps": 25, "start": 2, "end": 20}),
            ("corridor-juelich.txt", {"stride": 2, "max_gap": 0.25, "unit": "mm"}),
            ("plaza-csv.csv", {"stride": 3, "start": 1.5})]


@pytest.mark.parametrize("name, options", list(RECORDINGS.items()) + WINDOWED)
def test_arrays_hold_what_info_counts(name, options):
    experiment = vestra.read(example(name), **options)
    expected = info(example(name), options)
    present = ~numpy.isnan(experiment.positions[:, :, 0])
    assert (experiment.pedestrians, experiment.frames, len(experiment.obstacles)) == \
        (expected["pedestrians"], expected["frames"], expected["obstacles"])
    duration = experiment.times[-1] - experiment.times[0]
    assert duration == pytest.approx(expected["duration"], rel=1e-5)
    assert present.sum(axis=1).max() == expected["present max"]
    assert present.sum(axis=1).mean() == pytest.approx(expected["present mean"], rel=1e-5)
    assert experiment.notes == expected["note"]
    # The present frames are the ones that hold positions and velocities.
    first, last = experiment.present.T
    frames = numpy.arange(experiment.frames)[:, None]
    assert (present == ((frames >= first) & (frames <= last))).all()
    assert (present == ~numpy.isnan(experiment.velocities[:, :, 1])).all()


def test_obstacle_file_adds_segments(tmp_path):
    segments = tmp_path / "walls.txt"
    segments.write_text("0 0 100 0\n0 300 1000 300\n")
    options = {"obstacles": str(segments)}
    experiment = vestra.read(example("corridor-juelich.txt"), **options)
    assert len(experiment.obstacles) == info(example("corridor-juelich.txt"), options)["obstacles"]
    # In the recording's unit, centimetres.
    assert experiment.obstacles[-1].tolist() == [0, 3, 10, 3]


@pytest.mark.parametrize("layout", ["csv", "txt", "ndjson"])
@pytest.mark.parametrize("name", ["corridor-presence.ana", "street-eth.txt"])
def test_written_tracks_are_what_simulate_measured_writes(tmp_path, name, layout):
    options = RECORDINGS[name]
    vestra.read(example(name), **options).write(tmp_path / f"module.{layout}")
    batch("simulate", example(name), *reading_arguments(options), "--model", "RVO2", "--measured",
          "-o", tmp_path / f"batch.{layout}")
    written = [(tmp_path / f"{by}.{layout}").read_bytes() for by in ("module", "batch")]
    assert written[0] == written[1]


@pytest.mark.parametrize("name", ["bottleneck.ana", "plaza-csv.csv"])
def test_written_ana_is_what_convert_writes(tmp_path, name):
    vestra.read(example(name)).write(str(tmp_path / "module.ana"))
    batch("convert", example(name), "-o", tmp_path / "batch.ana")
    assert (tmp_path / "module.ana").read_bytes() == (tmp_path / "batch.ana").read_bytes()


@pytest.mark.parametrize("name", ["crossing-trajnet.ndjson", "corridor-juelich.txt"])
def test_arrays_and_dataframe_hold_the_written_samples(tmp_path, name):
    options = RECORDINGS[name]
    experiment = vestra.read(example(name), **options)
    batch("simulate", example(name), *reading_arguments(options), "--model", "RVO2",
          "--measured", "-o", tmp_path / "batch.csv")
    # Nine digits bring every float back exactly.
    written = numpy.loadtxt(tmp_path / "batch.csv", delimiter=",", comments="#", skiprows=3,
                            dtype=numpy.float32)
    frame = experiment.to_dataframe()
    assert list(frame.columns) == ["id", "frame", "t", "x", "y", "vx", "vy"]
    assert (frame.to_numpy(dtype=numpy.float32) == written).all()
    frames, pedestrians = written[:, 1].astype(int), written[:, 0].astype(int) - 1
    assert (experiment.positions[frames, pedestrians] == written[:, 3:5]).all()
    assert (experiment.velocities[frames, pedestrians] == written[:, 5:7]).all()
    assert (experiment.times[frames] == written[:, 2]).all()
    absent = experiment.frames * experiment.pedestrians - len(written)
    assert numpy.isnan(experiment.positions).sum() == 2 * absent


def test_dataframe_without_pandas_says_what_is_missing(monkeypatch):
    monkeypatch.setitem(__import__("sys").modules, "pandas", None)
    with pytest.raises(ImportError, match="to_dataframe needs pandas"):
        vestra.read(example("bottleneck.ana")).to_dataframe()


@pytest.mark.parametrize("path, options, error, message", [
    ("missing.ana", {}, FileNotFoundError, "missing.ana"),
    (".", {}, IsADirectoryError, ""),
    ("sweep-plan.csv", {}, ValueError, ""),
    ("bottleneck.ana", {"format": "xyz"}, ValueError, 'Unknown format "xyz": the formats are ana'),
    ("street-eth.txt", {"format": "eth"}, ValueError, "--fps"),
    ("street-eth.txt", {"fps": 1e-40}, ValueError, "fps needs a number from 0.001 to 1e6"),
    ("street-eth.txt", {"unit": "km"}, ValueError, 'unit needs m, cm or mm, got "km"'),
    ("street-eth.txt", {"stride": 0}, ValueError, "stride needs a whole number of at least 1"),
    ("bottleneck.ana", {"obstacles": "/nonexistent/walls.txt"}, FileNotFoundError, "walls.txt"),
])
def test_bad_input_raises_the_library_message(path, options, error, message):
    with pytest.raises(error, match=message):
        vestra.read(example(path), **options)
