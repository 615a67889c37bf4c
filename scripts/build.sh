#!/usr/bin/env bash
# Configures and builds one or both Windows targets: build.sh [x64|x86|all] [Release|Debug]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
which=${1:-all}
type=${2:-Release}
build_one() {
  local name=$1 arch=$2
  cmake -S "$top" -B "$top/build/$name" -G Ninja -DCMAKE_BUILD_TYPE="$type" \
    -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-$arch.cmake" >/dev/null
  cmake --build "$top/build/$name"
}
case "$which" in
  x64) build_one x64 x86_64 ;;
  x86) build_one x86 i686 ;;
  all) build_one x64 x86_64; build_one x86 i686 ;;
  *) echo "usage: build.sh [x64|x86|all] [Release|Debug]" >&2; exit 2 ;;
esac
