#!/usr/bin/env bash
# Builds the packages for Windows users for both targets (or the ones named):
#   build/i686/packages/quornvale-<version>-win32.zip and -win32-setup.exe
#   build/x86_64/packages/quornvale-<version>-win64.zip and -win64-setup.exe
# from stripped release builds of the program and its library only.
#   scripts/package.sh [i686|x86_64 ...]   (default: both)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(i686 x86_64)
# The win64 package carries the i686 build's companion and library.
builds=("${targets[@]}")
[[ " ${targets[*]} " == *" x86_64 "* && " ${targets[*]} " != *" i686 "* ]] && builds=(i686 "${targets[@]}")
"$root/scripts/build.sh" "${builds[@]}"
for t in "${targets[@]}"; do
  log="$root/build/$t/packages.log"
  if ! cmake --build "$root/build/$t" --target packages -- --no-print-directory >"$log" 2>&1; then
    cat "$log"
    exit 1
  fi
  ls "$root/build/$t/packages/"*.zip "$root/build/$t/packages/"*-setup.exe
done
