"""What the tests of the Python module share: the shipped examples and the built batch tool,
whose output is the independent expectation of every test."""

import os
import pathlib
import subprocess

EXAMPLES = pathlib.Path(os.environ.get("VESTRA_EXAMPLES",
                                       pathlib.Path(__file__).parents[2] / "examples"))
BATCH = os.environ.get("VESTRA_BATCH",
                       str(pathlib.Path(__file__).parents[2] / "build/vestra-batch"))

# Every shipped recording with the reading options it needs (see the README).
RECORDINGS = {
    "bottleneck.ana": {},
    "corridor-crossing.ana": {},
    "crossing-flows.ana": {},
    "corridor-presence.ana": {},
    "corridor-juelich.txt": {},
    "street-eth.txt": {"format": "eth", "fps": 25},
    "plaza-csv.csv": {},
    "crossing-trajnet.ndjson": {"fps": 25},
}

# The batch tool's option of each keyword of vestra.read.
READING_OPTIONS = {"format": "--format", "fps": "--fps", "unit": "--unit", "stride": "--stride",
                   "start": "--from", "end": "--to", "max_gap": "--max-gap",
                   "obstacles": "--obstacles"}


def example(name):
    return str(EXAMPLES / name)


def reading_arguments(options):
    """The batch tool's reading options for vestra.read's keywords."""
    arguments = []
    for keyword, value in options.items():
        arguments += [READING_OPTIONS[keyword], str(value)]
    return arguments


def setting_arguments(option, settings):
    """The batch tool's "--set"-like options for a dict of settings."""
    return [text for name, value in settings.items() for text in (option, f"{name}={value}")]


def batch(*arguments):
    """Runs vestra-batch and returns its standard output; it must succeed."""
    done = subprocess.run([BATCH, *map(str, arguments)], capture_output=True)
    assert done.returncode == 0, done.stderr
    # Decoded without turning the progress lines' carriage returns into line feeds.
    return done.stdout.decode()
