#!/usr/bin/env bash
# The 32-bit stage: runs the i686 test programs under 32-bit Wine (emulated,
# scripts/wine32-env.sh), in a 32-bit prefix of this run's own copied from a
# cached prepared one, on a private Xvfb display.  Expects the i686 build
# (tests/run-tests.sh builds it and then calls this).  Prints how long each
# stage took and how many retries the run needed; ends with the line
# "32-bit: N passed, N failed".
#   tests/run-tests32.sh [NAME-FILTER [TEST-CASE]]
# A program is retried once, only when it ended without its summary line and
# the emulator reported its own crash ("qemu: uncaught target signal"):
# never on a wrong result.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
filter=${1:-}
test_case=${2:-}
bin="$root/build/i686/bin"

# Programs kept out of this stage, each with the reason (none at present;
# the emulator's faults are described in CONTRIBUTING.md, "The 32-bit
# stage").
declare -A excluded=(
)
# Test cases kept out of a program's run here (doctest's -tce), each with
# the reason (none at present).
declare -A excluded_cases=(
)

. "$root/scripts/wine32-env.sh"
run_dir=$(mktemp -d /tmp/qv-tests32.XXXXXX)
cleanup() {
  [ -d "$run_dir/prefix64" ] && WINEPREFIX="$run_dir/prefix64" "$QV32_WINESERVER" -k >/dev/null 2>&1
  qv_stop; rm -rf "$run_dir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

stage_started=$(date +%s)
stage_times=()
stage_done() {  # stage_done NAME: the time since the previous stage ended
  local now
  now=$(date +%s)
  stage_times+=("$1 $((now - stage_started)) s")
  echo "-- $1: $((now - stage_started)) s"
  stage_started=$now
}

echo "== 32-bit Wine set-up"
qv32_setup || exit 1
stage_done "set-up (root)"
qv_start_xvfb || exit 1
template=$(qv32_prefix_template) || exit 1
stage_done "prefix template"
cp -a "$template" "$run_dir/prefix"
find "$run_dir/prefix/drive_c/users" -mindepth 2 -maxdepth 2 -type l | while read -r link; do
  rm -f "$link" && mkdir -p "$link"
done
qv32_wine_env "$run_dir/prefix"
# Wine's errors about signals stay on: they carry the emulator's signature.
export WINEDEBUG=-all,err+seh
qv_start_wineserver
# The first process of a server starts Wine's services (a minute or more
# under the emulator; some of them crash there): done once, before the
# programs, so that no program's time-out pays for it.
(cd "$run_dir" && timeout 600 "$QV32_ROOT/usr/lib/wine/wine" cmd /c exit >"$run_dir/start.log" 2>&1 </dev/null)
stage_done "first process (services)"

passed=0
failed=0
retries=0
summary_of() {  # the "N passed, N failed" line of a log, or nothing
  tr -d '\r' < "$1" | grep -E '^[0-9]+ passed, [0-9]+ failed$' | tail -n 1
}
# The emulator's own signatures: qemu's report of a signal the guest did not
# handle, and Wine's report of a signal that carries no processor trap (a
# real processor always gives one), which precedes the emulator's crashes
# and hangs.
emulator_crashed() {
  grep -q -E 'qemu: uncaught target signal|segv_handler Got unexpected trap -1' "$1" "$1.stderr" 2>/dev/null
}

# run_program NAME EXE [ARGS...]: runs it (with run_with), retried once on
# the emulator's own crash; adds its counts to the totals.  $before_attempt,
# when set, is run before each attempt (the smokes start a fresh server
# with it).
run_with=(timeout 300 "$QV32_ROOT/usr/lib/wine/wine")
before_attempt=
run_program() {
  local name=$1 log="$run_dir/$1.log" line attempt started
  shift
  for attempt in 1 2; do
    [ -n "$before_attempt" ] && $before_attempt
    started=$(date +%s)
    (cd "$run_dir" && "${run_with[@]}" "$@" > "$log" 2>"$log.stderr" </dev/null)
    line=$(summary_of "$log")
    [ -n "$line" ] && break
    if [ "$attempt" = 1 ] && emulator_crashed "$log"; then
      retries=$((retries + 1))
      echo "  (the emulator crashed: $(grep -h -m1 -E 'qemu: uncaught|unexpected trap -1' "$log" "$log.stderr" | head -n 1); retried once)"
      continue
    fi
    break
  done
  tr -d '\r' < "$log" | grep -v -E '^\[ RUN  \]|^[0-9]+ passed, [0-9]+ failed$' | sed 's/^/  /'
  took=$(($(date +%s) - started))
  echo "  ($took s, attempt $attempt)"
  if [ -z "$line" ]; then
    failed=$((failed + 1))
    echo "    (no summary: the program crashed or timed out)"
    sed 's/^/    | /' "$log.stderr" | grep -v -E 'fixme:|^    \| $' | tail -n 15
    return
  fi
  passed=$((passed + $(echo "$line" | cut -d' ' -f1)))
  failed=$((failed + $(echo "$line" | cut -d' ' -f3)))
}

# The emulator's own fault, shown with none of our code: an exception
# handled while a second thread of the process waits killed the process
# under bookworm's qemu 7.2.  Every program here has a second thread and
# raises such exceptions, so a failing probe names the cause of the failures
# that follow (an emulator without the fix behind the binfmt handler).
echo "== emulator probe (tests/doubles/exception_thread_probe.cpp)"
probe() {  # probe MODE: "done" when the probe came back
  (cd "$run_dir" && timeout 180 "$QV32_ROOT/usr/lib/wine/wine" "$bin/exception_thread_probe.exe" "$1" \
     > "$run_dir/probe-$1.log" 2>&1 </dev/null)
  tr -d '\r' < "$run_dir/probe-$1.log" | grep -q '^probe done$' && echo done
}
for mode in alone beside; do
  if [ "$(probe $mode)" = done ]; then
    echo "  an exception $([ $mode = beside ] && echo 'beside a waiting thread' || echo alone) came back"
    continue
  fi
  failed=$((failed + 1))
  case $mode in
    alone) echo "  an exception alone did not come back: the 32-bit Wine is broken here" ;;
    beside) echo "  an exception beside a waiting thread killed the process: the emulator's fault" \
                 "($(grep '^interpreter' "$QV32_HANDLER"))" ;;
  esac
  sed 's/^/    | /' "$run_dir/probe-$mode.log" | grep -v fixme: | tail -n 10
  break
done
stage_done "emulator probe"

for exe in "$bin"/unit_*.exe; do
  [ -e "$exe" ] || continue
  name=$(basename "$exe" .exe)
  [ -n "$filter" ] && [[ "$name" != *"$filter"* ]] && continue
  if [ -n "${excluded[$name]:-}" ]; then
    echo "== $name: left out: ${excluded[$name]}"
    continue
  fi
  echo "== $name (32-bit)"
  cases=${excluded_cases[$name]:-}
  [ -n "$cases" ] && echo "  (left out here: $cases)"
  run_program "$name" "$exe" ${test_case:+"-tc=$test_case"} ${cases:+"-tce=$cases"}
done
stage_done "unit tests"

# fresh_server NAME [VERSION]: ends every process of the session (so that a
# killed program's hooks go too) and starts a new server, reporting VERSION
# when given (written into the stopped prefix's user.reg), whose first
# process starts Wine's services before the program NAME, so that no
# program's time-out pays for it.
fresh_server() {
  "$QV32_WINESERVER" -k >/dev/null 2>&1
  timeout 60 "$QV32_WINESERVER" -w >/dev/null 2>&1
  [ -n "${2:-}" ] && qv32_user_reg 'Software\Wine' "Version=\"$2\""
  qv_start_wineserver
  (cd "$run_dir" && timeout 600 "$QV32_ROOT/usr/lib/wine/wine" cmd /c exit >"$run_dir/start-$1.log" 2>&1 </dev/null)
}

# The scenario programs of the stage, each in this prefix as it is then:
# the win32 installer installed silently, driven through its pages, and
# uninstalled.  QV32_SCENARIOS="scenario_a_test scenario_b_test" runs those
# instead (a trial of other programs under the emulator; not part of a run).
# Each scenario program after the first runs on a fresh server, as the
# 64-bit runner runs them: nothing a program leaves behind may reach the
# next one.  Wine keeps a killed program's global hooks: after a docking
# case that failed (its program killed, docking on), a caption drag in the
# next program's target ran that program's library, which subclassed the
# target although every switch of the program under test was off; after
# scenario_companion_test, scenario_right_chord_test's right clicks never
# reached its target.
read -r -a scenario_programs <<< "${QV32_SCENARIOS:-scenario_installer_test}"
scenarios_run=0
for name in "${scenario_programs[@]}"; do
  [ -n "$filter" ] && [[ "$name" != *"$filter"* ]] && continue
  echo "== $name (32-bit)"
  [ "$scenarios_run" -gt 0 ] && fresh_server "$name"
  scenarios_run=$((scenarios_run + 1))
  run_program "$name" "$bin/$name.exe" ${test_case:+"-tc=$test_case"}
done
stage_done "scenario programs"

# ---- Smokes of the i686 program under win2k, winxp and win7 (begin) ----
# tests/scenario/smoke_test.cpp once for each Windows version the prefix
# reports (HKCU\Software\Wine "Version", written as text into the stopped
# prefix's user.reg): the program of the zip's folder (the staged package
# folder, staged here when missing), its tray icon, its library in a 32-bit
# target, roll-up, direct scrolling, a tray switch, the exit.  Each smoke
# runs on a fresh server (as the 64-bit runner runs every scenario program),
# whose first process starts Wine's services before it.  A smoke is run
# again once, only when it ended without its summary line and the emulator
# reported its own crash; never on a wrong result.  Its waits take
# QV_TEST_TIME_FACTOR (default here 5) times their native time-outs; the
# smoke fails when the version it is told (QV_TEST_WINDOWS_VERSION) is not
# the one reported.
smoke_exe="$bin/scenario_smoke_test.exe"
smoke_versions=(win2k winxp win7)
smoke_times=()
smoke_restart() {  # smoke_restart VERSION: a fresh server reporting VERSION
  fresh_server "$1" "$1"
}
if [ -e "$smoke_exe" ] && { [ -z "$filter" ] || [[ scenario_smoke_test == *"$filter"* ]]; }; then
  # Staged afresh from this build (quick once the images are built): a
  # folder staged before the last change would smoke an older program.
  cmake --build "$root/build/i686" --target package_stage >"$run_dir/package_stage.log" 2>&1 ||
    { echo "  staging the i686 package folder failed"; sed 's/^/    | /' "$run_dir/package_stage.log" | tail -n 10; }
  stage_done "package folder"
  for version in "${smoke_versions[@]}"; do
    echo "== scenario_smoke_test ($version, 32-bit)"
    before_attempt="smoke_restart $version"
    QV_TEST_TIME_FACTOR=${QV_TEST_TIME_FACTOR:-5} QV_TEST_WINDOWS_VERSION=$version \
      run_program "scenario_smoke_test-$version" "$smoke_exe" ${test_case:+"-tc=$test_case"}
    before_attempt=
    smoke_times+=("$version $took s")
    stage_done "smoke $version"
  done
  echo "32-bit smoke times: $(IFS=,; echo "${smoke_times[*]}" | sed 's/,/, /g')"
fi
# ---- Smokes of the i686 program (end) ----

# --- WoW64: x86_64 scenario programs in a win64 prefix where 32-bit
# programs run beside 64-bit ones (scripts/wine32-env.sh, qv32_wow64_*):
# the win64 package's program with its i686 companion and 32-bit targets.
wow64_programs=(scenario_wow64_test)
bin64="$root/build/x86_64/bin"
wow64_wanted=()
for name in "${wow64_programs[@]}"; do
  [ -n "$filter" ] && [[ "$name" != *"$filter"* ]] && continue
  wow64_wanted+=("$name")
done
if [ ${#wow64_wanted[@]} -gt 0 ]; then
  echo "== WoW64 set-up"
  tree=$(qv32_wow64_tree) || exit 1
  template64=$(qv32_wow64_prefix_template "$template") || exit 1
  cp -a "$template64" "$run_dir/prefix64"
  find "$run_dir/prefix64/drive_c/users" -mindepth 2 -maxdepth 2 -type l | while read -r link; do
    rm -f "$link" && mkdir -p "$link"
  done
  stage_done "WoW64 tree and prefix"
  run_with=(qv32_wow64_run "$tree" "$run_dir/prefix64" timeout 600 /usr/lib/wine/wine64)
  for name in "${wow64_wanted[@]}"; do
    echo "== $name (WoW64)"
    if [ ! -f "$bin64/$name.exe" ]; then
      failed=$((failed + 1))
      echo "  not built: $bin64/$name.exe (scripts/build.sh x86_64)"
      continue
    fi
    run_program "$name" "$bin64/$name.exe" ${test_case:+"-tc=$test_case"}
  done
  WINEPREFIX="$run_dir/prefix64" "$QV32_WINESERVER" -k >/dev/null 2>&1
  stage_done "WoW64 programs"
fi

echo "32-bit stage times: $(IFS=,; echo "${stage_times[*]}" | sed 's/,/, /g')"
echo "32-bit retries (emulator crashes): $retries"
echo "32-bit: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
