#!/usr/bin/env bash
# Builds the x86_64 target and runs every benchmark program (bench_*.exe)
# under 64-bit Wine, on a private Xvfb display (or $QV_TEST_DISPLAY), in a
# Wine prefix of this run's own; prints what each one prints.  Benchmarks
# measure, they do not pass or fail.
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
bin="$root/build/x86_64/bin"
for exe in "$bin"/bench_*.exe; do
  [ -e "$exe" ] || continue
  name=$(basename "$exe" .exe)
  [ -n "$filter" ] && [[ "$name" != *"$filter"* ]] && continue
  echo "== $name"
  log="$run_dir/$name.log"
  # Into a file, not a pipe: Wine's helper processes inherit the output.
  (cd "$run_dir" && timeout 300 "$QV_WINE" "$exe" > "$log" 2>"$log.stderr" </dev/null) || status=1
  tr -d '\r' < "$log" | sed 's/^/  /'
done
exit $status
