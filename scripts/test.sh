#!/usr/bin/env bash
# Installs what is missing, builds both targets and runs every test (the 64-bit build under
# Wine). Extra arguments go to ctest, e.g. scripts/test.sh -R util.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
"$top/scripts/build.sh" all
exec "$top/scripts/ctest-wine.sh" "$top/build/x64" -j2 "$@"
