#!/usr/bin/env bash
# Runs ctest in an already built 64-bit build folder inside a Wine session of its own:
#   scripts/ctest-wine.sh BUILD_DIR [ctest arguments]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
shift
source "$top/scripts/wine-session.sh"
trap stop_wine_session EXIT
start_wine_session "$build"
cd "$build"
ctest --output-on-failure --no-tests=error "$@"
