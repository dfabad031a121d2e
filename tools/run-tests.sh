#!/usr/bin/env bash
# Builds and runs the whole test suite twice: a normal build, then a build with
# AddressSanitizer and UndefinedBehaviorSanitizer that fails on any report. The GUI tests need a
# display, so ctest runs under a virtual X server. The server is told not to reset when its last
# client leaves: a test that connects during such a reset would find no display.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
xvfb_args="-screen 0 1280x1024x24 -noreset"

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$jobs"
xvfb-run -a -s "$xvfb_args" ctest --test-dir build --output-on-failure -j"$jobs"
# The Debian package, installed into a scratch root, and lintian.
bash tools/package-test.sh

# Without the Python module: an interpreter that is not built with AddressSanitizer cannot load
# an extension that is.
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVESTRA_SANITIZE=ON \
  -DVESTRA_BUILD_BENCH=OFF -DVESTRA_BUILD_PYTHON=OFF
cmake --build build-sanitize -j"$jobs"
# Leaks inside Qt, Mesa, fontconfig and the other system libraries are suppressed by library
# name; any report from our own code fails the run.
export ASAN_OPTIONS=detect_leaks=1
export LSAN_OPTIONS=suppressions=$PWD/tools/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
xvfb-run -a -s "$xvfb_args" ctest --test-dir build-sanitize --output-on-failure -j"$jobs"

# The threads of parallel calibrations under ThreadSanitizer: any data race fails the run.
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVESTRA_TSAN=ON
cmake --build build-tsan -j"$jobs"
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 ctest --test-dir build-tsan --output-on-failure \
  -j"$jobs"
