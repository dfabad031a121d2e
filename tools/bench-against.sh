#!/usr/bin/env bash
# Compares the benchmarks of an older commit with the current ones on one core: builds both
# (Release, benchmarks only) side by side, runs them in alternating turns so that both see the
# same machine, and prints, for every benchmark both builds have, the median time of each and
# their ratio old / new (above 1: the current build is faster). Run from anywhere in the
# repository:
#
#   bash tools/bench-against.sh [COMMIT [FILTER [ROUNDS]]]
#
# COMMIT defaults to f6fc3c1 (before the engine-speed work), FILTER (a benchmark regular
# expression) to every step and evaluation benchmark, ROUNDS to 3. The old build lives in
# build-bench-COMMIT/ (its sources in src/, its build in build/), the current one in
# build-bench/; both are kept, so a second run only rebuilds what changed. BENCH_CPU picks
# the core (default 0), BENCH_JOBS the build's parallel jobs (default 2), BENCH_TIME the time
# compared: cpu (default), which leaves out the time other programs on the shared core take,
# or real.
set -euo pipefail
cd "$(dirname "$0")/.."
base=${1:-f6fc3c1}
filter=${2:-'crowdStep|orcaAdvance|sceneRun|Evaluation|visionStep|greedyCalibration|calibrationThroughput'}
rounds=${3:-3}
cpu=${BENCH_CPU:-0}
jobs=${BENCH_JOBS:-2}
clock=${BENCH_TIME:-cpu}
case $clock in
  cpu | real) ;;
  *)
    echo "bench-against: BENCH_TIME is cpu or real, not $clock" >&2
    exit 2
    ;;
esac

git rev-parse --verify --quiet "$base^{commit}" >/dev/null || {
  echo "bench-against: no commit $base" >&2
  exit 2
}
old=build-bench-$base
if [ ! -d "$old/src" ]; then
  # Extracted to a temporary name first, so that an interrupted extraction is not taken for
  # a complete one on the next run.
  rm -rf "$old/src.partial"
  mkdir -p "$old/src.partial"
  git archive "$base" | tar -x -C "$old/src.partial"
  mv "$old/src.partial" "$old/src"
fi

build() {  # source folder, build folder
  echo "building $2" >&2
  # Options an older commit does not know are ignored by cmake with a warning, hence -Wno-dev
  # and the log kept out of sight unless the build fails.
  log=$2/bench-against.log
  if ! { cmake -S "$1" -B "$2" -DCMAKE_BUILD_TYPE=Release -DVESTRA_BUILD_GUI=OFF \
      -DVESTRA_BUILD_TESTS=OFF -DVESTRA_BUILD_PYTHON=OFF -DVESTRA_BUILD_BENCH=ON -Wno-dev &&
      cmake --build "$2" -j"$jobs" --target vestra_bench; } >"$log" 2>&1; then
    tail -n 30 "$log" >&2
    echo "bench-against: building $2 failed, see $log" >&2
    exit 1
  fi
}
mkdir -p "$old/build" build-bench
build "$old/src" "$old/build"
build . build-bench

oldBinary=$old/build/bench/vestra_bench
newBinary=build-bench/bench/vestra_bench
results=$(mktemp -d)
trap 'rm -rf "$results"' EXIT
for round in $(seq "$rounds"); do
  # The side that runs first changes every round, so that a machine growing busier or
  # quieter during the run does not favour one side.
  sides="old new"
  [ $((round % 2)) -eq 0 ] && sides="new old"
  for side in $sides; do
    binary=$newBinary
    [ "$side" = old ] && binary=$oldBinary
    echo "round $round of $rounds: $side" >&2
    taskset -c "$cpu" "$binary" --benchmark_filter="$filter" --benchmark_format=json \
      >"$results/$side-$round.json"
  done
done

python3 - "$results" "$base" "$clock" <<'PY'
import json, pathlib, statistics, sys
folder, base, clock = pathlib.Path(sys.argv[1]), sys.argv[2], sys.argv[3] + "_time"
def runs(path):
    # A program that has no benchmark the filter matches says so in plain text.
    try:
        return json.loads(path.read_text())["benchmarks"]
    except (ValueError, KeyError):
        return []
def times(side):
    found = {}
    for path in sorted(folder.glob(side + "-*.json")):
        for run in runs(path):
            if run.get("run_type", "iteration") == "iteration" and not run.get("error_occurred"):
                found.setdefault(run["name"], []).append((run[clock], run["time_unit"]))
    return found
old, new = times("old"), times("new")
print(f"| benchmark ({clock.replace('_', ' ')}) | {base} | now | old / new |")
print("|---|---|---|---|")
for name in [n for n in new if n in old]:
    o = statistics.median(t for t, _ in old[name])
    n = statistics.median(t for t, _ in new[name])
    unit = new[name][0][1]
    print(f"| {name} | {o:.4g} {unit} | {n:.4g} {unit} | {o / n:.2f} |")
for side, mine, other in (("now", new, old), (base, old, new)):
    alone = [n for n in mine if n not in other]
    if alone:
        print(f"\nonly in {side}: " + ", ".join(alone), file=sys.stderr)
PY
