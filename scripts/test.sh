#!/usr/bin/env bash
# Installs what is missing, builds both targets, fuzzes the window-free core for a bounded
# time and runs every test (the 64-bit build under Wine). Extra arguments go to ctest, e.g.
# scripts/test.sh -R util (the fuzz run is then skipped).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
"$top/scripts/build.sh" all
if [ $# -eq 0 ]; then
  "$top/scripts/fuzz.sh" "${NOTIWELL_FUZZ_SECONDS:-30}"
fi
exec "$top/scripts/ctest-wine.sh" "$top/build/x64" -j2 "$@"
