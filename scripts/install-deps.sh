#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only when one is
# missing.  Never installs wine32: with it, /usr/bin/wine picks the 32-bit
# loader, which this kernel cannot run (scripts/wine32-env.sh unpacks it and
# its emulator into private folders instead; libz-mingw-w64 gives it zlib1.dll).
set -eu
packages=(cmake make python3 g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 mingw-w64-i686-dev
          mingw-w64-x86-64-dev binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
          wine wine64 xvfb xauth xdotool x11-utils nsis doctest-dev p7zip-full
          libz-mingw-w64)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo_cmd apt-get update -qq
$sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
