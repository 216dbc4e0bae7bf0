# Sourced by tests/run-tests32.sh: 32-bit Wine for the i686 images.
#
# These machines' kernel runs no 32-bit x86 code.  Debian's 32-bit Wine
# (wine32:i386, the same version as the installed wine64) runs instead under
# qemu-i386 user-mode emulation, started by a binfmt_misc handler so that
# Wine's own fork+exec of its 32-bit loader also goes through the emulator.
# wine32:i386 is never installed into the system (that would upgrade many
# amd64 packages and make /usr/bin/wine pick the 32-bit loader): its i386
# packages are unpacked into a private root in the cache, which the emulator
# uses as its ELF prefix.  The system's /usr/lib/wine is left alone.  The
# 64-bit wineserver serves the 32-bit processes (same protocol, native speed).
#
#   qv32_setup              once per machine: i386 package lists, the
#                           binfmt_misc handler, the private root (cached)
#   qv32_prefix_template    make (once) and print the cached 32-bit prefix
#   qv32_wine_env PREFIX    set the environment for that prefix
#   qv32_wine ARGS...       run a 32-bit program or Wine tool in it
#
# Needs root (CI and the bench run as root) or sudo for the first two steps
# of qv32_setup; nothing else changes the system.

# shellcheck source=wine-env.sh
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

QV32_WINESERVER=$QV_WINESERVER
QV32_HANDLER=/proc/sys/fs/binfmt_misc/qemu-i386
# qemu 7.2 ignores MAP_FIXED_NOREPLACE, with which Wine reserves the address
# space above its user limit: with the default 4 GiB guest space each process
# takes minutes to start.  A guest space ending just above 0x80000000 makes it
# seconds; it must stay above 0x80100000 (Wine maps the shared user data page
# at 0x7ffe0000 and its reserve above it).
QV32_RESERVED_VA=0x81000000

qv32_sudo() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# The version of the 64-bit Wine installed: the 32-bit one must be the same
# (one wineserver protocol), and it names the cached root and prefix.
qv32_wine_version() {
  dpkg-query -W -f='${Version}' wine64 2>/dev/null
}

qv32_root() {
  echo "$QV_CACHE/wine32-root-$(qv32_wine_version | tr -c 'A-Za-z0-9.\n' '_')-v1"
}

qv32_setup_binfmt() {
  [ -e /proc/sys/fs/binfmt_misc/register ] ||
    qv32_sudo mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc || return 1
  if [ ! -e "$QV32_HANDLER" ]; then
    # i386 ELF executables and shared objects; flag F opens the emulator now,
    # so the handler works whatever root the caller sees.
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' |
      qv32_sudo tee /proc/sys/fs/binfmt_misc/register >/dev/null || return 1
  fi
  grep -qx enabled "$QV32_HANDLER" || { echo "binfmt handler qemu-i386 disabled" >&2; return 1; }
}

# Unpacks wine32:i386 (the installed wine64's version) and every i386 package
# it needs into the root; marks zlib1.dll as Wine's libwine install step does
# and gives the root its own ld.so cache (else the host's is read and
# FreeType is not found).
qv32_make_root() {
  local root=$1 version pkgs work d m w in out
  version=$(qv32_wine_version)
  [ -n "$version" ] || { echo "wine64 is not installed" >&2; return 1; }
  work="$root.tmp"
  rm -rf "$work" && mkdir -p "$work/root" "$work/debs" || return 1
  # What apt would install for wine32:i386, less the amd64 upgrades it lists.
  mapfile -t pkgs < <(apt-get -s --no-remove --no-install-recommends install "wine32:i386=$version" 2>/dev/null |
                      awk '/^Inst/ && $2 ~ /:i386$/ {print $2}')
  if [ ${#pkgs[@]} -eq 0 ]; then
    echo "apt resolves no i386 packages for wine32:i386=$version" >&2
    return 1
  fi
  (cd "$work/debs" && apt-get -q -o DPkg::Lock::Timeout=900 download "${pkgs[@]}" >/dev/null 2>&1) || {
    echo "downloading the i386 packages failed" >&2; return 1; }
  for d in "$work"/debs/*.deb; do dpkg-deb -x "$d" "$work/root" || return 1; done
  for m in i686 x86_64; do
    w=$m; [ $m = i686 ] && w=i386
    in=/usr/$m-w64-mingw32/lib/zlib1.dll
    out=$work/root/usr/lib/i386-linux-gnu/wine/$w-windows/zlib1.dll
    [ -f "$in" ] && [ -d "$(dirname "$out")" ] || continue
    { head -c 64 "$in"; printf 'Wine builtin DLL'; head -c 16 /dev/zero; tail -c +97 "$in"; } > "$out"
  done
  printf '/lib/i386-linux-gnu\n/usr/lib/i386-linux-gnu\n' > "$work/root/etc/ld.so.conf"
  ldconfig -r "$work/root" || return 1
  [ -x "$work/root/usr/lib/wine/wine" ] || { echo "no 32-bit Wine loader unpacked" >&2; return 1; }
  rm -rf "$root" && mv "$work/root" "$root" && rm -rf "$work" && touch "$root/.ready"
}

qv32_setup() {
  mkdir -p "$QV_CACHE"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    qv32_sudo dpkg --add-architecture i386 || return 1
  fi
  # The i386 package lists: fetched once after the architecture was added.
  if ! apt-cache show "wine32:i386=$(qv32_wine_version)" >/dev/null 2>&1; then
    qv32_sudo apt-get -o DPkg::Lock::Timeout=900 update -qq || return 1
  fi
  qv32_setup_binfmt || return 1
  local root
  root=$(qv32_root)
  (
    flock 9
    [ -f "$root/.ready" ] || qv32_make_root "$root"
  ) 9>"$QV_CACHE/wine32.lock" || return 1
  QV32_ROOT=$root
}

# No debugger is started for a crashed process (winedbg.exe disabled): under
# the emulator it takes minutes, and it can wait for ever on a process the
# emulator itself lost, which keeps the wine server (and the run) alive.
qv32_wine_env() {
  export WINEPREFIX="$1" WINEARCH=win32 WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe,winemenubuilder.exe=d" WINESERVER="$QV32_WINESERVER"
  export QEMU_LD_PREFIX="$QV32_ROOT" QEMU_RESERVED_VA="$QV32_RESERVED_VA"
  unset WINELOADER
}

qv32_wine() {
  "$QV32_ROOT/usr/lib/wine/wine" "$@"
}

# Adds values to a stopped prefix's user.reg: "KEY" NAME=VALUE... with
# VALUE in the file's own notation ("text" or dword:0000000N).  Each emulated
# Wine process costs seconds to start and a cold server's services minutes,
# so the bench writes its settings as text, never through Wine's reg tool.
qv32_user_reg() {
  local file="$WINEPREFIX/user.reg" key=$1 pair
  shift
  printf '\n[%s] %s\n' "${key//\\/\\\\}" "$(date +%s)" >> "$file"
  for pair in "$@"; do
    printf '"%s"=%s\n' "${pair%%=*}" "${pair#*=}" >> "$file"
  done
}

# Ends every process of the prefix's server: waits up to SECONDS for them to
# end by themselves, then kills them.
qv32_stop_server() {
  timeout "${1:-120}" "$QV32_WINESERVER" -w >/dev/null 2>&1 || "$QV32_WINESERVER" -k >/dev/null 2>&1
  "$QV32_WINESERVER" -k >/dev/null 2>&1
  timeout 30 "$QV32_WINESERVER" -w >/dev/null 2>&1
  return 0
}

# The 32-bit prefix, created once (minutes under the emulator) and copied by
# each run: no crash dialog, and captions drawn by Wine itself (no virtual
# desktop, which is less stable under the emulator, and no window manager on
# the bench's display, so unmanaged windows).  Wine's first start of a
# prefix runs many programs; one of them crashing under the emulator leaves
# it unfinished, so it is tried twice.
qv32_prefix_template() {
  local template log="$QV_CACHE/prefix32-template.log"
  template="$QV_CACHE/prefix32-template-$(basename "$QV32_ROOT")-v2"
  (
    flock 9
    [ -f "$template/.ready" ] && exit 0
    for attempt in 1 2; do
      rm -rf "$template" "$template.tmp"
      (
        qv32_wine_env "$template.tmp"
        timeout 1200 "$QV32_ROOT/usr/lib/wine/wine" wineboot -u
        qv32_stop_server 300
      ) >"$log" 2>&1 </dev/null
      grep -q 'has been updated' "$log" && [ -f "$template.tmp/drive_c/windows/system32/user32.dll" ] && break
      cp "$log" "$log.$attempt"
      echo "creating the 32-bit prefix failed (attempt $attempt, see $log.$attempt)" >&2
      [ "$attempt" = 2 ] && exit 1
    done
    (
      qv32_wine_env "$template.tmp"
      qv32_user_reg 'Software\Wine\WineDbg' 'ShowCrashDialog=dword:00000000'
      qv32_user_reg 'Software\Wine\X11 Driver' 'Managed="N"'
    )
    mv "$template.tmp" "$template" && touch "$template/.ready"
  ) 9>"$QV_CACHE/prefix32.lock" || return 1
  echo "$template"
}
