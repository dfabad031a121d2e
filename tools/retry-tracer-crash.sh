#!/usr/bin/env bash
# Runs a test program of the sanitizer build and passes its output and status on. LeakSanitizer
# stops every thread at exit to look for leaks; when threads of the GL driver are still ending
# then, its tracer itself can crash ("LeakSanitizer has encountered a fatal error") after a test
# that passed (or after listing the tests). Such a run, and only such a run, is repeated, at most
# twice more: one that reported a leak, failed a test or crashed otherwise keeps its status.
set -u
attempts=3
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
for ((attempt = 1; attempt <= attempts; attempt++)); do
  "$@" >"$out" 2>"$err"
  status=$?
  cat "$out"
  cat "$err" >&2
  if [ "$status" -eq 0 ] || [ "$attempt" -eq "$attempts" ] ||
    ! grep -q "LeakSanitizer has encountered a fatal error" "$err" ||
    grep -q "ERROR: LeakSanitizer: detected memory leaks" "$err" ||
    grep -q "^\[  FAILED  \]" "$out" ||
    { [[ " $* " != *" --gtest_list_tests "* ]] && ! grep -q "^\[  PASSED  \]" "$out"; }; then
    exit "$status"
  fi
  echo "retry-tracer-crash: LeakSanitizer's tracer crashed after the test passed, without a" \
    "leak report; running it again ($((attempt + 1)) of $attempts)" >&2
done
