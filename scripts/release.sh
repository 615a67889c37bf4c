#!/usr/bin/env bash
# Builds both targets in release mode and writes, into out/release/:
#   notiwell-<version>-x86.zip, notiwell-<version>-x64.zip  (notiwell.exe, notiwell.conf, LIESMICH.txt)
#   notiwell-<version>-x86.msi, notiwell-<version>-x64.msi  (Program Files\Notiwell + Startup shortcut)
# The version comes from the VERSION file, which also feeds the version resource.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$top/out/release}
"$top/scripts/setup.sh"
for p in wixl zip; do
  command -v "$p" >/dev/null || { DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$p"; }
done
"$top/scripts/build.sh" all Release
version=$(tr -d ' \r\n' < "$top/VERSION")
# Windows Installer versions allow at most 255 for the first two fields: 2018.09.11.01 becomes 18.9.1101.
IFS=. read -r vy vm vd vn <<< "$version"
msi_version="$((10#$vy % 100)).$((10#$vm)).$((10#$vd * 100 + 10#$vn))"
mkdir -p "$out"
for target in x86 x64; do
  stage=$(mktemp -d)
  cp "$top/build/$target/notiwell.exe" "$stage/"
  cp "$top/packaging/notiwell.conf" "$top/packaging/LIESMICH.txt" "$stage/"
  rm -f "$out/notiwell-$version-$target.zip"
  (cd "$stage" && zip -q -X "$out/notiwell-$version-$target.zip" notiwell.exe notiwell.conf LIESMICH.txt)
  if [ "$target" = x64 ]; then
    arch=(-a x64 -D Win64=yes -D ProgramFilesDir=ProgramFiles64Folder
          -D UpgradeCode=6b1b7f0e-3c1a-4c53-9d51-0e5d2a7b9a11 -D ShortcutGuid=2f0d4d55-8a0e-4b7e-9b5a-5d1f3c2e9a01)
  else
    arch=(-a x86 -D Win64=no -D ProgramFilesDir=ProgramFilesFolder
          -D UpgradeCode=0c6f3e2a-51b4-4f0e-8d37-2b9e6a1c4d72 -D ShortcutGuid=9a4e1c3b-7d2f-4e6a-b8c5-1f0e3d2c5b94)
  fi
  (cd "$stage" && wixl "${arch[@]}" -D Version="$msi_version" -D SourceExe=notiwell.exe \
     -o "$out/notiwell-$version-$target.msi" "$top/packaging/notiwell.wxs")
  rm -rf "$stage"
done
ls -l "$out"
