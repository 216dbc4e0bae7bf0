# Sourced by tests/run-tests32.sh: 32-bit Wine for the i686 images.
#
# These machines' kernel runs no 32-bit x86 code.  Debian's 32-bit Wine
# (wine32:i386, the same version as the installed wine64) runs instead under
# qemu-i386 user-mode emulation, started by a binfmt_misc handler so that
# Wine's own fork+exec of its 32-bit loader also goes through the emulator.
# The emulator is qemu-user of bookworm-backports (10.0), unpacked into the
# cache: bookworm's own qemu-user-static 7.2 kills a process that handles an
# exception while it has a second thread (CONTRIBUTING.md, "The 32-bit
# stage"), and needs minutes per process without a reserved address space.
# wine32:i386 is never installed into the system (that would upgrade many
# amd64 packages and make /usr/bin/wine pick the 32-bit loader): its i386
# packages are unpacked into a private root in the cache, which the emulator
# uses as its ELF prefix.  The system's /usr/lib/wine is left alone.  The
# 64-bit wineserver serves the 32-bit processes (same protocol, native speed).
#
#   qv32_setup              once per machine: i386 package lists, the
#                           emulator and the private root (cached), the
#                           binfmt_misc handler pointing at that emulator
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
# Where the emulator comes from: Debian's backports of this release, whose
# qemu-user package carries static binaries (qemu-user-static is only a
# transitional package there).
QV32_QEMU_SOURCE="deb http://deb.debian.org/debian bookworm-backports main"
QV32_QEMU_PACKAGE=qemu-user
QV32_QEMU_DIR="$QV_CACHE/qemu-user-bookworm-backports-v1"
QV32_QEMU="$QV32_QEMU_DIR/qemu-i386"

qv32_sudo() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# The version of the 64-bit Wine installed: the 32-bit one must be the same
# (one wineserver protocol), and it names the cached root and prefix.
qv32_wine_version() {
  dpkg-query -W -f='${Version}' wine64 2>/dev/null
}

qv32_root() {
  echo "$QV_CACHE/wine32-root-$(qv32_wine_version | tr -c 'A-Za-z0-9.\n' '_')-v2"
}

# Unpacks the emulator of QV32_QEMU_SOURCE into DIR: apt with lists, cache
# and sources of its own (the system's apt sources are not changed and no
# package is installed); only qemu-i386 is kept (the package holds every
# target, about 380 MB).
qv32_make_qemu() {
  local dir=$1 work conf
  work="$dir.tmp"
  rm -rf "$work" && mkdir -p "$work/apt/lists/partial" "$work/apt/cache/archives/partial" "$work/debs" "$work/root" || return 1
  conf="$work/apt/apt.conf"
  printf '%s\n' "$QV32_QEMU_SOURCE" > "$work/apt/sources.list"
  cat > "$conf" <<EOF
Dir::Etc::sourcelist "$work/apt/sources.list";
Dir::Etc::sourceparts "-";
Dir::State::Lists "$work/apt/lists";
Dir::Cache "$work/apt/cache";
APT::Architectures { "amd64"; };
APT::Sandbox::User "$(id -un)";
EOF
  APT_CONFIG=$conf apt-get -q update >"$work/apt.log" 2>&1 || {
    echo "the package list of '$QV32_QEMU_SOURCE' could not be fetched (see $work/apt.log)" >&2; return 1; }
  (cd "$work/debs" && APT_CONFIG=$conf apt-get -q download "$QV32_QEMU_PACKAGE" >>"$work/apt.log" 2>&1) || {
    echo "downloading $QV32_QEMU_PACKAGE failed (see $work/apt.log)" >&2; return 1; }
  dpkg-deb -x "$work"/debs/*.deb "$work/root" || return 1
  mkdir -p "$work/out" &&
    cp "$work/root/usr/bin/qemu-i386" "$work/out/qemu-i386" || { echo "no qemu-i386 in $QV32_QEMU_PACKAGE" >&2; return 1; }
  cp "$work/root/usr/share/doc/$QV32_QEMU_PACKAGE/copyright" "$work/out/" 2>/dev/null
  # A static binary: it must run here as it is.
  "$work/out/qemu-i386" --version > "$work/out/version" 2>&1 || {
    echo "the unpacked qemu-i386 does not run: $(head -n 1 "$work/out/version")" >&2; return 1; }
  rm -rf "$dir" && mv "$work/out" "$dir" && rm -rf "$work" && touch "$dir/.ready"
}

# The binfmt_misc handler for i386 ELF files, pointing at QV32_QEMU; one that
# points at another emulator (bookworm's, as an earlier set-up registered
# it) is removed and registered again, and so is ours with "again" (flag F
# keeps the file that was opened at registration, so a new download of the
# emulator at the same path needs a new registration).
qv32_setup_binfmt() {
  [ -e /proc/sys/fs/binfmt_misc/register ] ||
    qv32_sudo mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc || return 1
  if [ -e "$QV32_HANDLER" ] && { [ "${1:-}" = again ] || ! grep -qxF "interpreter $QV32_QEMU" "$QV32_HANDLER"; }; then
    echo "binfmt handler qemu-i386 ($(grep '^interpreter' "$QV32_HANDLER")) registered again for $QV32_QEMU"
    echo -1 | qv32_sudo tee "$QV32_HANDLER" >/dev/null || return 1
  fi
  if [ ! -e "$QV32_HANDLER" ]; then
    # i386 ELF executables and shared objects; flag F opens the emulator now,
    # so the handler works whatever root the caller sees.
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$QV32_QEMU"':F' |
      qv32_sudo tee /proc/sys/fs/binfmt_misc/register >/dev/null || return 1
  fi
  grep -qx enabled "$QV32_HANDLER" || { echo "binfmt handler qemu-i386 disabled" >&2; return 1; }
  grep -qxF "interpreter $QV32_QEMU" "$QV32_HANDLER" || {
    echo "binfmt handler qemu-i386 does not point at $QV32_QEMU" >&2; return 1; }
}

# X extension libraries that Wine only recommends and loads when it finds
# them; the 64-bit Wine here has each of them.  Without libXi, for one,
# Wine's X11 driver refuses every ClipCursor (it clips through XInput2).
QV32_X_LIBS=(libxi6 libxrandr2 libxrender1 libxcursor1 libxinerama1 libxfixes3 libxcomposite1 libxxf86vm1)

# Unpacks wine32:i386 (the installed wine64's version), the X libraries above
# and every i386 package they need into the root; marks zlib1.dll as Wine's
# libwine install step does and gives the root its own ld.so cache (else the
# host's is read and FreeType is not found).
qv32_make_root() {
  local root=$1 version pkgs work d m w in out
  version=$(qv32_wine_version)
  [ -n "$version" ] || { echo "wine64 is not installed" >&2; return 1; }
  work="$root.tmp"
  rm -rf "$work" && mkdir -p "$work/root" "$work/debs" || return 1
  # What apt would install for wine32:i386, less the amd64 upgrades it lists.
  mapfile -t pkgs < <(apt-get -s --no-remove --no-install-recommends install "wine32:i386=$version" \
                        "${QV32_X_LIBS[@]/%/:i386}" 2>/dev/null |
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
  local root
  root=$(qv32_root)
  (
    flock 9
    again=""
    if [ ! -f "$QV32_QEMU_DIR/.ready" ]; then
      qv32_make_qemu "$QV32_QEMU_DIR" || exit 1
      again=again
    fi
    qv32_setup_binfmt $again || exit 1
    [ -f "$root/.ready" ] || qv32_make_root "$root"
  ) 9>"$QV_CACHE/wine32.lock" || return 1
  QV32_ROOT=$root
  echo "emulator: $(head -n 1 "$QV32_QEMU_DIR/version")"
}

# No debugger is started for a crashed process (winedbg.exe disabled): under
# bookworm's emulator it took minutes, and it could wait for ever on a
# process the emulator itself lost, which kept the wine server (and the run)
# alive.
qv32_wine_env() {
  export WINEPREFIX="$1" WINEARCH=win32 WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe,winemenubuilder.exe=d" WINESERVER="$QV32_WINESERVER"
  export QEMU_LD_PREFIX="$QV32_ROOT"
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

# --- WoW64: 64-bit and 32-bit programs side by side, as on 64-bit Windows --
# Wine's 64-bit loader starts a 32-bit program only through the file "wine"
# in its own folder (/usr/lib/wine), which holds no 32-bit loader here.  The
# WoW64 tree is a copy of that folder with "wine" linking to the private
# root's 32-bit loader (a link, so that the loader finds its libraries under
# the root); qv32_wow64_run puts it over /usr/lib/wine in a private mount
# namespace of the command alone.  The system's folder is never changed.
#   qv32_wow64_tree             make (once) and print the cached tree
#   qv32_wow64_prefix_template  make (once) and print the win64 prefix, its
#                               syswow64 filled from the 32-bit prefix
#   qv32_wow64_run TREE PREFIX COMMAND...  run with that prefix's environment

qv32_wow64_tree() {
  local tree="$QV_CACHE/wow64-tree-$(basename "$QV32_ROOT")-v1"
  if [ ! -f "$tree/.ready" ]; then
    rm -rf "$tree.tmp" && mkdir -p "$tree.tmp" &&
      cp -a /usr/lib/wine/. "$tree.tmp/" &&
      ln -sfn "$QV32_ROOT/usr/lib/wine/wine" "$tree.tmp/wine" || return 1
    rm -rf "$tree" && mv "$tree.tmp" "$tree" && touch "$tree/.ready"
  fi
  echo "$tree"
}

# The 64-bit template prefix (Wine's virtual desktop, as the 64-bit tests
# have it) with the 32-bit system files in syswow64, where Wine's 64-bit
# set-up left none (it has no 32-bit Wine to take them from).
qv32_wow64_prefix_template() {
  local from32=$1 from64 template
  from64=$(qv_prefix_template) || return 1
  template="$QV_CACHE/prefix-wow64-template-$(basename "$QV32_ROOT")-v1"
  (
    flock 9
    [ -f "$template/.ready" ] && exit 0
    rm -rf "$template" "$template.tmp"
    cp -a "$from64" "$template.tmp" &&
      cp -an "$from32/drive_c/windows/system32/." "$template.tmp/drive_c/windows/syswow64/" || exit 1
    rm -f "$template.tmp/.ready"
    mv "$template.tmp" "$template" && touch "$template/.ready"
  ) 9>"$QV_CACHE/prefix-wow64.lock" || return 1
  echo "$template"
}

qv32_wow64_run() {
  local tree=$1 prefix=$2
  shift 2
  unshare --mount --propagation private bash -c '
    mount --bind "$0" /usr/lib/wine || exit 1
    export QEMU_LD_PREFIX="$1" WINEPREFIX="$2" WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64 QV_WOW64=1
    export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe,winemenubuilder.exe=d" WINEDEBUG=${WINEDEBUG:--all}
    shift 2
    exec "$@"' "$tree" "$QV32_ROOT" "$prefix" "$@"
}
