#!/usr/bin/env bash
# Installs what is missing, builds both targets, checks the i686 build
# statically and runs every test program of the x86_64 build under 64-bit
# Wine, on a private Xvfb display (or $QV_TEST_DISPLAY), in a Wine prefix of
# this run's own, copied from a cached prepared one.  Everything it starts is
# ended when it exits, whatever happened.
# It also builds the packages (scripts/package.sh), checks them statically
# and installs the win64 installer in the test prefix (installer_test).
#   tests/run-tests.sh [NAME-FILTER [TEST-CASE]]
# NAME-FILTER is a substring of the test program's name; TEST-CASE runs only
# the test cases of that name (doctest's -tc: * and ? match any text).
# QV_BUILD_TARGETS="x86_64" builds only that target (a quicker turn while
# working; the static checks of the i686 images then fail).
# Then the 32-bit stage (tests/run-tests32.sh, the same filter) runs the
# i686 programs under emulated 32-bit Wine, whenever the i686 build is part
# of the run; QV_TESTS32=0 leaves it out.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
filter=${1:-}
test_case=${2:-}
"$root/scripts/install-deps.sh" || exit 1
# A new warning fails the test build (and CI); a user's build only shows it.
export QV_STRICT_WARNINGS=${QV_STRICT_WARNINGS:-1}
"$root/scripts/build.sh" ${QV_BUILD_TARGETS:-} || exit 1
packaging=0
if [ -z "$filter" ] || [[ "package_checks" == *"$filter"* ]] || [[ "scenario_installer_test" == *"$filter"* ]]; then
  packaging=1
fi
# The smoke starts the program from the staged package folder: packages
# built, not checked.
if [ "$packaging" = 1 ] || [[ "scenario_smoke_test" == *"$filter"* ]]; then
  "$root/scripts/package.sh" ${QV_BUILD_TARGETS:-} >/dev/null || exit 1
fi

. "$root/scripts/wine-env.sh"
run_dir=$(mktemp -d /tmp/qv-tests.XXXXXX)
cleanup() { qv_stop; rm -rf "$run_dir"; }
trap cleanup EXIT
trap 'exit 130' INT TERM

total_passed=0
total_failed=0
tally() {  # tally LOGFILE: add the "N passed, N failed" line of one program
  local line
  line=$(tr -d '\r' < "$1" | grep -E '^[0-9]+ passed, [0-9]+ failed$' | tail -n 1)
  if [ -z "$line" ]; then
    total_failed=$((total_failed + 1))
    echo "    (no summary: the program crashed or timed out)"
    return
  fi
  total_passed=$((total_passed + $(echo "$line" | cut -d' ' -f1)))
  total_failed=$((total_failed + $(echo "$line" | cut -d' ' -f3)))
}

echo "== static checks of the built images"
python3 "$root/tests/static_checks.py" "$root/build" > "$run_dir/static.log" 2>&1
sed 's/^/  /' "$run_dir/static.log"
tally "$run_dir/static.log"

if [ "$packaging" = 1 ]; then
  echo "== package checks"
  python3 "$root/tests/package_checks.py" "$root/build" > "$run_dir/packages.log" 2>&1
  sed 's/^/  /' "$run_dir/packages.log"
  tally "$run_dir/packages.log"
fi

qv_start_test_session "$run_dir" || exit 1

bin="$root/build/x86_64/bin"
for exe in "$bin"/unit_*.exe "$bin"/scenario_*.exe; do
  [ -e "$exe" ] || continue
  name=$(basename "$exe" .exe)
  [ -n "$filter" ] && [[ "$name" != *"$filter"* ]] && continue
  echo "== $name"
  log="$run_dir/$name.log"
  # Output goes to a file: Wine's helper processes inherit it and a pipe
  # would stay open after the test program ends.
  (cd "$run_dir" && timeout 300 "$QV_WINE" "$exe" ${test_case:+"-tc=$test_case"} \
     > "$log" 2>"$log.stderr" </dev/null)
  # Each test's verdict with its failure details and notes; not the RUN lines.
  tr -d '\r' < "$log" | grep -v -E '^\[ RUN  \]|^[0-9]+ passed, [0-9]+ failed$' | sed 's/^/  /'
  tally "$log"
  # Each scenario program starts on a session of its own: a process an
  # earlier one left running, with the global hooks and the copy of the
  # library it brought, cannot act in a later one.
  [[ "$name" == scenario_* ]] && qv_restart_wineserver
done

echo "$total_passed passed, $total_failed failed"
status=0
[ "$total_failed" -eq 0 ] || status=1

tests32=${QV_TESTS32:-1}
[[ " ${QV_BUILD_TARGETS:-i686} " == *" i686 "* ]] || tests32=0
if [ "$tests32" = 1 ]; then
  qv_stop
  "$root/tests/run-tests32.sh" "$filter" "$test_case" || status=1
fi
exit $status
