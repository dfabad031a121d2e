#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs each for the given number of seconds (default 180). New inputs that widen coverage go
# to build-fuzz/corpus/<target>; crashing inputs to build-fuzz/findings/<target>. Copy a finding
# into tests/fuzz/corpus/<folder>/finding-<name> once it is fixed, so the tests replay it.
# Needs: apt-get install clang libclang-rt-14-dev
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-180}

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DVESTRA_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-fuzz -j"$(nproc)"

for pair in FuzzAnaReader:ana FuzzParameterFile:parameters FuzzDistributionText:distribution \
            FuzzParameterText:parameter-text FuzzJuelichReader:juelich FuzzEthReader:eth \
            FuzzCsvReader:csv FuzzTrajnetReader:trajnet; do
  target=${pair%%:*}
  seeds=tests/fuzz/corpus/${pair#*:}
  mkdir -p "build-fuzz/corpus/$target" "build-fuzz/findings/$target"
  echo "== $target for $seconds s"
  ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 \
    "build-fuzz/tests/fuzz/$target" "build-fuzz/corpus/$target" "$seeds" \
      -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1 \
      -artifact_prefix="build-fuzz/findings/$target/" 2>&1 | tail -n 12
done
