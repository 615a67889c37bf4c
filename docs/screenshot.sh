#!/usr/bin/env bash
# Takes the screenshots of the user documentation under a private Xvfb display and Wine:
#   docs/screenshot.sh [BUILD_DIR [OUT_DIR]]      (default build/x64 and docs/screenshots)
# Builds notiwell.exe and the probe tools in BUILD_DIR, then docs/make_screenshots.py writes
# OUT_DIR/{tray,menu,message,composer,info,icons}.png. The Wine prefix lives in
# BUILD_DIR/screenshots, apart from the one the tests use.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build/x64}
out=$(mkdir -p "${2:-$top/docs/screenshots}" && cd "${2:-$top/docs/screenshots}" && pwd)
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-x86_64.cmake" >/dev/null
cmake --build "$build" --target notiwell winprobe trayprobe
build=$(cd "$build" && pwd)
unset DISPLAY  # always a fresh Xvfb screen of the same size
source "$top/scripts/wine-session.sh"
trap stop_wine_session EXIT
mkdir -p "$build/screenshots"
start_wine_session "$build/screenshots"
# Without a window manager nobody would draw the title bars; Wine draws them itself then.
"$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1 </dev/null
export NOTIWELL_EXE="$build/notiwell.exe" NOTIWELL_TOOLS="$build/tests" NOTIWELL_BUILD="$build/screenshots"
export PYTHONPATH="$top/tests/e2e"
python3 "$top/docs/make_screenshots.py" "$out"
