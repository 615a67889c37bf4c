# Sourced by the project's commands: a private Wine prefix inside the build folder, an Xvfb
# display when none is set, one wineserver for the whole session, and a clean stop of all of
# it by process id.
#   start_wine_session BUILD_DIR   exports WINE, WINEPREFIX, DISPLAY, WINEDEBUG
#   stop_wine_session
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
_nw_xvfb_pid=""
_nw_server_pid=""

start_wine_session() {
  local build=$1
  export WINE WINESERVER
  export WINEPREFIX="$build/wineprefix"
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  if [ -z "${DISPLAY:-}" ]; then
    local n=90
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    _nw_xvfb_pid=$!
    export DISPLAY=":$n"
    local i
    for i in $(seq 1 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  fi
  mkdir -p "$WINEPREFIX"
  # A persistent wineserver for the session; its pid is the one to stop at the end.
  "$WINESERVER" -p >/dev/null 2>&1 </dev/null &
  _nw_server_pid=$!
  # wineboot starts the desktop process, which keeps its caller's output open: never a pipe.
  if [ ! -f "$WINEPREFIX/.initialised" ]; then
    "$WINE" wineboot --init >/dev/null 2>&1 </dev/null || true
    touch "$WINEPREFIX/.initialised"
  else
    "$WINE" wineboot >/dev/null 2>&1 </dev/null || true
  fi
  # This Wine does not pick up the fonts of Debian's fonts-wine by itself; in the prefix's font
  # folder it does, so windows get Tahoma as their GUI font and Marlett for caption buttons.
  if [ -d /usr/share/wine/fonts ] && [ -d "$WINEPREFIX/drive_c/windows/Fonts" ]; then
    cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  fi
  "$WINESERVER" -w >/dev/null 2>&1 &  # returns at once while the persistent server lives
}

stop_wine_session() {
  if [ -n "${WINEPREFIX:-}" ]; then "$WINESERVER" -k >/dev/null 2>&1 || true; fi
  if [ -n "$_nw_server_pid" ]; then kill "$_nw_server_pid" 2>/dev/null || true; wait "$_nw_server_pid" 2>/dev/null || true; fi
  if [ -n "$_nw_xvfb_pid" ]; then kill "$_nw_xvfb_pid" 2>/dev/null || true; wait "$_nw_xvfb_pid" 2>/dev/null || true; fi
  _nw_server_pid=""
  _nw_xvfb_pid=""
}
