#!/usr/bin/env bash
# Builds quornvale.exe, Ostrilix.dll and the test programs for both targets:
# build/i686 (32-bit Windows, the product's platform) and build/x86_64.
#   scripts/build.sh [i686|x86_64 ...]   (default: both)
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
  cmake --build "$root/build/$t" -j "$jobs" -- --no-print-directory >/dev/null \
    || cmake --build "$root/build/$t" -j1  # again, serially, to show the error plainly
  echo "built $t: $root/build/$t/bin"
done
