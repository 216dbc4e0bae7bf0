#!/usr/bin/env bash
# Installs what is missing, builds, and starts Quornvale under 64-bit Wine in
# Wine's virtual desktop: on your X display when there is one, otherwise on a
# private Xvfb display.  The program, its library and the shipped files are
# placed in ~/.local/share/quornvale/app; an existing settings.ini there is
# kept, so your settings survive a rebuild.  Only the program, its library
# and the shipped files are built (tests/run-tests.sh builds everything).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
echo "Checking the Debian packages (installs what is missing)"
"$root/scripts/install-deps.sh"
echo "Building quornvale.exe, Ostrilix.dll and the shipped files for x86_64 (build/x86_64)"
QV_BUILD_ONLY="quornvale Ostrilix quornvale_dist" "$root/scripts/build.sh" x86_64

. "$root/scripts/wine-env.sh"
home=${QV_HOME:-${XDG_DATA_HOME:-$HOME/.local/share}/quornvale}
app="$home/app"
mkdir -p "$app"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "Using display $DISPLAY"
else
  qv_start_xvfb
  echo "No usable display: started a virtual one, Xvfb on $DISPLAY (nothing shows; run with DISPLAY set to see the program)"
fi

if [ ! -d "$home/prefix" ]; then
  echo "Preparing a Wine prefix in $home/prefix (once)"
  template=$(qv_prefix_template)
  cp -a "$template" "$home/prefix"
fi
qv_wine_env "$home/prefix"

bin="$root/build/x86_64/bin"
cp "$bin/quornvale.exe" "$bin/Ostrilix.dll" "$app/"
dist="$root/quornvale/resources/dist"
if [ -d "$dist" ]; then
  # Everything shipped, but never over the user's own settings.
  (cd "$dist" && find . -type f) | while read -r f; do
    if [ "$f" != "./settings.ini" ] || [ ! -e "$app/settings.ini" ]; then
      mkdir -p "$app/$(dirname "$f")"
      cp "$dist/$f" "$app/$f"
    fi
  done
fi

echo "Starting $app/quornvale.exe (end it from its tray menu, or with Ctrl+C here)"
trap 'qv_stop' EXIT
"$QV_WINE" "$app/quornvale.exe"
