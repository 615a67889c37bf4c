#!/usr/bin/env bash
# Builds both targets in release mode and writes, into out/release/ (or the folder given):
#   notiwell-<version>-x86.zip, notiwell-<version>-x64.zip  (notiwell.exe, notiwell.conf, LIESMICH.txt)
#   notiwell-<version>-x86.msi, notiwell-<version>-x64.msi  (Program Files\Notiwell + Startup shortcut)
# The version comes from the VERSION file, which also feeds the version resource.
# The release builds live in build/release-x64 and build/release-x86, apart from the test builds.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$top/out/release}
"$top/scripts/setup.sh"
for p in wixl zip; do
  command -v "$p" >/dev/null || { DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$p"; }
done
version=$(tr -d ' \r\n' < "$top/VERSION")
mkdir -p "$out"
out=$(cd "$out" && pwd)
for target in x86 x64; do
  case "$target" in x64) arch=x86_64 ;; x86) arch=i686 ;; esac
  build="$top/build/release-$target"
  cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DNOTIWELL_TESTS=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-$arch.cmake" >/dev/null
  cmake --build "$build" --target notiwell
  stage=$(mktemp -d)
  cp "$build/notiwell.exe" "$top/packaging/notiwell.conf" "$top/packaging/LIESMICH.txt" "$stage/"
  rm -f "$out/notiwell-$version-$target.zip"
  (cd "$stage" && zip -q -X "$out/notiwell-$version-$target.zip" notiwell.exe notiwell.conf LIESMICH.txt)
  rm -rf "$stage"
  "$top/packaging/build_msi.sh" "$target" "$build/notiwell.exe" "$out/notiwell-$version-$target.msi"
done
ls -l "$out"
