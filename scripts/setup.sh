#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine (run as root),
# then builds libjpeg-turbo for both Windows targets into the cache folder, once.
# Safe to run again: every step checks first whether it is already done.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cache="$top/.cache"
mkdir -p "$cache"

packages=(
  cmake ninja-build dpkg-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64
  wine64 fonts-wine xvfb xdotool x11-utils imagemagick googletest python3 wixl zip
  clang libclang-rt-14-dev llvm-14
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# wine32 makes the loader pick 32-bit mode, which this kernel cannot run.
if dpkg-query -W -f='${Status}' wine32 2>/dev/null | grep -q 'install ok installed'; then
  echo "setup: warning: wine32 is installed; the tests call /usr/lib/wine/wine64 directly" >&2
fi

# The posix thread model keeps the static libstdc++ self-contained with <thread>/<mutex> in the tests.
for arch in x86_64 i686; do
  for tool in gcc g++; do
    alt="/usr/bin/$arch-w64-mingw32-$tool"
    if [ "$(readlink -f "$alt")" != "$(readlink -f "$alt-posix")" ]; then
      update-alternatives --set "$arch-w64-mingw32-$tool" "$alt-posix" >/dev/null
    fi
  done
done

# libjpeg-turbo from Debian's source package, static, with the jpeg8 API.
jpeg_done="$cache/libjpeg/.built"
if [ ! -f "$jpeg_done" ]; then
  if ! ls "$cache"/src/libjpeg-turbo-*/CMakeLists.txt >/dev/null 2>&1; then
    # A deb-src entry for the machine's own mirror, derived from its existing apt sources.
    if ! apt-get source --print-uris libjpeg-turbo >/dev/null 2>&1; then
      # deb822 stanzas become deb-src stanzas; one-line entries become deb-src lines.
      for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        case "$f" in *notiwell-src*) continue;; esac
        awk 'BEGIN{RS="";ORS="\n\n"} /(^|\n)Types:[^\n]*deb/ && /debian/ {
               sub(/Types:[^\n]*/, "Types: deb-src"); print }' "$f"
      done > /etc/apt/sources.list.d/notiwell-src.sources
      [ -s /etc/apt/sources.list.d/notiwell-src.sources ] || rm -f /etc/apt/sources.list.d/notiwell-src.sources
      if [ -f /etc/apt/sources.list ]; then
        sed -n 's/^deb \(.*debian.*\)$/deb-src \1/p' /etc/apt/sources.list > /etc/apt/sources.list.d/notiwell-src.list
        [ -s /etc/apt/sources.list.d/notiwell-src.list ] || rm -f /etc/apt/sources.list.d/notiwell-src.list
      fi
      apt-get update -qq
    fi
    mkdir -p "$cache/src"
    (cd "$cache/src" && apt-get source -qq libjpeg-turbo)
  fi
  srcdir=$(ls -d "$cache"/src/libjpeg-turbo-*/ | head -n 1)
  for arch in x86_64 i686; do
    b="$cache/libjpeg-build/$arch"
    rm -rf "$b"
    cmake -S "$srcdir" -B "$b" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-$arch.cmake" \
      -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_INSTALL_PREFIX="$cache/libjpeg/$arch" \
      -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_JPEG8=ON \
      -DWITH_TURBOJPEG=OFF -DWITH_SIMD=OFF -DWITH_JAVA=OFF -Wno-dev >/dev/null
    cmake --build "$b" --target jpeg-static >/dev/null
    mkdir -p "$cache/libjpeg/$arch/include" "$cache/libjpeg/$arch/lib"
    cp "$srcdir"/jpeglib.h "$srcdir"/jmorecfg.h "$srcdir"/jerror.h "$b"/jconfig.h "$cache/libjpeg/$arch/include/"
    cp "$b"/libjpeg.a "$cache/libjpeg/$arch/lib/"
  done
  touch "$jpeg_done"
fi
# GoogleTest from Debian's source package, built once for the tested 64-bit target.
gtest_done="$cache/googletest/.built"
if [ ! -f "$gtest_done" ]; then
  b="$cache/googletest-build"
  rm -rf "$b"
  cmake -S /usr/src/googletest -B "$b" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$cache/googletest" \
    -Dgtest_disable_pthreads=OFF -DCMAKE_CXX_FLAGS="-static-libgcc -static-libstdc++" >/dev/null
  cmake --build "$b" >/dev/null
  cmake --install "$b" >/dev/null
  touch "$gtest_done"
fi
echo "setup: ready"
