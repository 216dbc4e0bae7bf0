#!/usr/bin/env bash
# Builds quornvale.exe, Ostrilix.dll and the test programs for both targets:
# build/i686 (32-bit Windows, the product's platform) and build/x86_64.
#   scripts/build.sh [i686|x86_64 ...]   (default: both)
# QV_BUILD_ONLY="quornvale Ostrilix ..." builds only those CMake targets (what
# scripts/run.sh needs: the program, its library and the shipped files).
# Warnings stay on and are printed.  With QV_STRICT_WARNINGS=1 (the test run
# and CI set it) a warning fails the build, and the files it names are
# touched so that the next build compiles them, and fails, again.  A user's
# build with another compiler only shows them.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(i686 x86_64)
jobs=$(nproc 2>/dev/null || echo 2)
for t in "${targets[@]}"; do
  # A tree configured with another compiler (the posix thread model, once
  # used here) is made anew: its cached compiler would be kept.
  cache="$root/build/$t/CMakeCache.txt"
  if [ -f "$cache" ] && ! cat "$root/build/$t"/CMakeFiles/*/CMakeCXXCompiler.cmake 2>/dev/null \
       | grep -q '^set(CMAKE_CXX_COMPILER ".*-g++-win32")$'; then
    rm -rf "${root:?}/build/$t"
  fi
  if [ ! -f "$cache" ]; then
    cmake -S "$root" -B "$root/build/$t" -DCMAKE_BUILD_TYPE=Release \
          -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$t.cmake" >/dev/null
  fi
  log="$root/build/$t/build.log"
  only=()
  [ -n "${QV_BUILD_ONLY:-}" ] && only=(--target ${QV_BUILD_ONLY})
  cmake --build "$root/build/$t" -j "$jobs" "${only[@]}" -- --no-print-directory >"$log" 2>&1 \
    || cmake --build "$root/build/$t" -j1 "${only[@]}"  # again, serially, to show the error plainly
  warnings=$(grep -E ': warning: ' "$log" | sort -u || true)
  if [ -n "$warnings" ]; then
    echo "$warnings"
    if [ "${QV_STRICT_WARNINGS:-0}" = 1 ]; then
      echo "$warnings" | sed -E 's/^([^:]+):[0-9]+:.*/\1/' | sort -u | while read -r f; do
        case "$f" in "$root"/*) [ -f "$f" ] && touch "$f" ;; esac
      done
      echo "build $t: warnings fail this build (QV_STRICT_WARNINGS=1); see $log" >&2
      exit 1
    fi
  fi
  echo "built $t: $root/build/$t/bin"
done
