#!/usr/bin/env bash
# The bench gate.  Builds the x86_64 target and runs every benchmark program
# (bench_*.exe) under 64-bit Wine, on a private Xvfb display (or
# $QV_TEST_DISPLAY), in a Wine prefix of this run's own.  Each benchmark
# times a product path against its bare baseline side by side, in
# interleaved slices over several rounds (tests/bench/bench_ratio.h), and
# prints one FIGURE line per ratio.  At the end one table shows every
# figure: the median of the rounds' ratios, the lowest and highest round,
# and the goal.  The run fails when a median exceeds its goal, or a
# benchmark fails or prints no figure.  Ratios only: absolute times depend on
# the machine and its load and are never a verdict.
#   tests/run-bench.sh [NAME-FILTER]
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
filter=${1:-}
"$root/scripts/install-deps.sh" || exit 1
"$root/scripts/build.sh" x86_64 || exit 1

. "$root/scripts/wine-env.sh"
run_dir=$(mktemp -d /tmp/qv-bench.XXXXXX)
cleanup() { qv_stop; rm -rf "$run_dir"; }
trap cleanup EXIT
trap 'exit 130' INT TERM

qv_start_test_session "$run_dir" || exit 1

status=0
figures="$run_dir/figures"
: > "$figures"
bin="$root/build/x86_64/bin"
for exe in "$bin"/bench_*.exe; do
  [ -e "$exe" ] || continue
  name=$(basename "$exe" .exe)
  [ -n "$filter" ] && [[ "$name" != *"$filter"* ]] && continue
  echo "== $name"
  log="$run_dir/$name.log"
  # Into a file, not a pipe: Wine's helper processes inherit the output.
  if ! (cd "$run_dir" && timeout 300 "$QV_WINE" "$exe" > "$log" 2>"$log.stderr" </dev/null); then
    echo "  (failed or timed out)"
    status=1
  fi
  tr -d '\r' < "$log" | grep -v '^FIGURE|' | sed 's/^/  /'
  if ! tr -d '\r' < "$log" | grep '^FIGURE|' >> "$figures"; then
    echo "  (no figure)"
    status=1
  fi
done

echo "== bench gate: product / bare baseline, median of the rounds"
awk -F'|' '
  BEGIN { bad = 0; printf "  %-92s %6s %13s %6s\n", "figure", "median", "rounds", "goal" }
  {
    verdict = ""
    if ($7 > 0) {
      goal = sprintf("%.2f", $7)
      if ($6 == 0 || $3 > $7 + 0) { verdict = "  OVER GOAL"; bad = 1 }
    } else goal = "-"
    if ($6 == 0) { verdict = "  NO ROUNDS"; bad = 1 }
    printf "  %-92s %6.2f %4.2f-%4.2f (%d) %6s%s\n", $2, $3, $4, $5, $6, goal, verdict
  }
  END { exit bad }' "$figures" || status=1
if [ "$status" -eq 0 ]; then
  echo "bench gate: every figure within its goal"
else
  echo "bench gate: FAILED"
fi
exit $status
