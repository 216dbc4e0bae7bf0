# Sourced by the run and test scripts: a 64-bit Wine prefix with Wine's
# virtual desktop (so captions, clicks and hotkeys behave as on Windows), an
# X display, and a persistent wine server.
#   qv_wine_env PREFIX      set the environment for that prefix
#   qv_prefix_template      make (once) and print the cached prepared prefix
#   qv_start_xvfb           start a private Xvfb; sets DISPLAY and QV_XVFB_PID
#   qv_start_test_session DIR  display ($QV_TEST_DISPLAY or a private Xvfb),
#                           a copy of the template prefix in DIR/prefix, server
#   qv_restart_wineserver   end every process of the session, start afresh
#   qv_stop                 end the wine server and a private Xvfb

QV_WINE=/usr/lib/wine/wine64
QV_WINESERVER=/usr/lib/wine/wineserver64
[ -x "$QV_WINESERVER" ] || QV_WINESERVER=/usr/lib/wine/wineserver
QV_CACHE=${QV_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/quornvale}

qv_wine_env() {
  export WINEPREFIX="$1" WINEARCH=win64 WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES="mscoree,mshtml=" WINELOADER="$QV_WINE"
}

# Writes the settings that every prefix of ours has: no crash dialog (a crash
# would hang the run), and Wine's virtual desktop as the default desktop.
qv_prefix_settings() {
  "$QV_WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
  "$QV_WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f
  "$QV_WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f
}

qv_prefix_template() {
  local stamp template
  stamp=$("$QV_WINE" --version 2>/dev/null | tr -c 'A-Za-z0-9.\n' '_')
  template="$QV_CACHE/prefix-template-$stamp-v1"
  if [ ! -f "$template/.ready" ]; then
    rm -rf "$template" "$template.tmp"
    mkdir -p "$QV_CACHE"
    (
      qv_wine_env "$template.tmp"
      "$QV_WINE" wineboot -u
      qv_prefix_settings
      "$QV_WINESERVER" -w
    ) >/dev/null 2>&1 </dev/null
    mv "$template.tmp" "$template" && touch "$template/.ready"
  fi
  echo "$template"
}

qv_start_xvfb() {
  # Xvfb picks the first free display itself and writes its number to the
  # descriptor: two runs started together never share one display.
  local fifo n=""
  fifo=$(mktemp -u /tmp/qv-xvfb.XXXXXX)
  mkfifo "$fifo" || return 1
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 </dev/null &
  QV_XVFB_PID=$!
  read -r -t 20 n < "$fifo"
  rm -f "$fifo"
  if [ -z "$n" ]; then
    echo "Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=":$n"
}

qv_start_wineserver() {
  ("$QV_WINESERVER" -p >/dev/null 2>&1 </dev/null &)
  sleep 0.2
}

qv_start_test_session() {
  if [ -n "${QV_TEST_DISPLAY:-}" ]; then
    export DISPLAY="$QV_TEST_DISPLAY"
  else
    qv_start_xvfb || return 1
  fi
  local template
  template=$(qv_prefix_template)
  cp -a "$template" "$1/prefix"
  # Wine links the user's shell folders (Pictures, Documents, ...) to the
  # Unix home: a test's snapshots and files stay inside the prefix instead.
  find "$1/prefix/drive_c/users" -mindepth 2 -maxdepth 2 -type l | while read -r link; do
    rm -f "$link" && mkdir -p "$link"
  done
  qv_wine_env "$1/prefix"
  qv_start_wineserver
}

# Ends every process of the session and starts a fresh server on the same
# prefix and display.
qv_restart_wineserver() {
  "$QV_WINESERVER" -k >/dev/null 2>&1
  "$QV_WINESERVER" -w >/dev/null 2>&1
  qv_start_wineserver
}

qv_stop() {
  [ -n "${WINEPREFIX:-}" ] && "$QV_WINESERVER" -k >/dev/null 2>&1
  [ -n "${QV_XVFB_PID:-}" ] && kill "$QV_XVFB_PID" 2>/dev/null
  QV_XVFB_PID=""
  return 0
}
