#!/usr/bin/env bash
# Builds the x86_64 target and runs every benchmark program (bench_*.exe)
# under 64-bit Wine on a private Xvfb, printing what each one measures.
#   tests/run-bench.sh [NAME-FILTER]
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
filter=${1:-}
"$root/scripts/build.sh" x86_64 || exit 1

. "$root/scripts/wine-env.sh"
run_dir=$(mktemp -d /tmp/qv-bench.XXXXXX)
cleanup() { qv_stop; rm -rf "$run_dir"; }
trap cleanup EXIT
trap 'exit 130' INT TERM

qv_start_xvfb || exit 1
template=$(qv_prefix_template)
cp -a "$template" "$run_dir/prefix"
qv_wine_env "$run_dir/prefix"
qv_start_wineserver

for exe in "$root/build/x86_64/bin"/bench_*.exe; do
  [ -e "$exe" ] || continue
  name=$(basename "$exe" .exe)
  [ -n "$filter" ] && [[ "$name" != *"$filter"* ]] && continue
  echo "== $name"
  # To a file, not a pipe: Wine's helper processes inherit the output.
  (cd "$run_dir" && timeout 300 "$QV_WINE" "$exe" > "$run_dir/$name.log" 2>/dev/null </dev/null)
  tr -d '\r' < "$run_dir/$name.log" | sed 's/^/  /'
done
