#!/usr/bin/env bash
# Checks tools/retry-tracer-crash.sh (given as $1) with fake test programs: each prints what a
# test prints, then what LeakSanitizer prints at exit, and fails or passes as given.
set -u
retry=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0

# fake NAME GTEST LSAN STATUS...: one status per run; the program counts its runs in a file.
fake() {
  local name=$1 gtest=$2 lsan=$3
  shift 3
  printf '%s\n' "$@" >"$scratch/$name.statuses"
  cat >"$scratch/$name" <<SCRIPT
#!/usr/bin/env bash
runs=\$(( \$(cat "$scratch/$name.runs" 2>/dev/null || echo 0) + 1 ))
echo \$runs >"$scratch/$name.runs"
echo "$gtest"
echo "$lsan" >&2
exit \$(sed -n "\${runs}p" "$scratch/$name.statuses")
SCRIPT
  chmod +x "$scratch/$name"
}

# expect NAME STATUS RUNS [ARGUMENT...]: the wrapper ends with STATUS after running the program
# RUNS times.
expect() {
  "$retry" "$scratch/$1" "${@:4}" >/dev/null 2>&1
  local status=$? runs
  runs=$(cat "$scratch/$1.runs")
  if [ "$status" -ne "$2" ] || [ "$runs" -ne "$3" ]; then
    echo "FAILED $1: status $status after $runs runs, expected $2 after $3"
    failures=$((failures + 1))
  fi
}

passed='[  PASSED  ] 1 test.'
failed='[  FAILED  ] View.Draws'
tracer='==1==LeakSanitizer has encountered a fatal error.'
leak='==1==ERROR: LeakSanitizer: detected memory leaks'

fake crashOnce "$passed" "$tracer" 1 0
expect crashOnce 0 2
fake crashAlways "$passed" "$tracer" 1 1 1 1
expect crashAlways 1 3
fake leak "$passed" "$leak
$tracer" 1 0
expect leak 1 1
fake testFailed "$failed" "$tracer" 1 0
expect testFailed 1 1
fake otherCrash "$passed" "AddressSanitizer: SEGV" 1 0
expect otherCrash 1 1
fake listed "View." "$tracer" 1 0
expect listed 0 2 --gtest_list_tests
fake clean "$passed" "" 0
expect clean 0 1

[ "$failures" -eq 0 ] && echo "all cases passed"
exit "$failures"
