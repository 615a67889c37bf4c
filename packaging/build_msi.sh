#!/usr/bin/env bash
# Builds the installer of one target with wixl from an already built notiwell.exe:
#   build_msi.sh x64|x86 NOTIWELL_EXE OUT_MSI
# The version comes from the VERSION file, the same one that feeds the version resource.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
target=$1 exe=$2 out=$3
version=$(tr -d ' \r\n' < "$here/../VERSION")
# Windows Installer allows at most 255 in the first two fields and 65535 in the third:
# 2018.09.11.01 becomes 18.9.1101.
IFS=. read -r vy vm vd vn <<< "$version"
msi_version="$((10#$vy % 100)).$((10#$vm)).$((10#$vd * 100 + 10#$vn))"
case "$target" in
  x64) arch=(-a x64 -D Win64=yes -D ProgramFilesDir=ProgramFiles64Folder
             -D UpgradeCode=6b1b7f0e-3c1a-4c53-9d51-0e5d2a7b9a11 -D ShortcutGuid=2f0d4d55-8a0e-4b7e-9b5a-5d1f3c2e9a01) ;;
  x86) arch=(-a x86 -D Win64=no -D ProgramFilesDir=ProgramFilesFolder
             -D UpgradeCode=0c6f3e2a-51b4-4f0e-8d37-2b9e6a1c4d72 -D ShortcutGuid=9a4e1c3b-7d2f-4e6a-b8c5-1f0e3d2c5b94) ;;
  *) echo "usage: build_msi.sh x64|x86 NOTIWELL_EXE OUT_MSI" >&2; exit 2 ;;
esac
# wixl takes the file under the name the installer gives it, so it works from a staging copy.
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "$exe" "$stage/notiwell.exe"
out_abs=$(cd "$(dirname "$out")" && pwd)/$(basename "$out")
rm -f "$out_abs"
(cd "$stage" && wixl "${arch[@]}" -D Version="$msi_version" -D SourceExe=notiwell.exe \
   -o "$out_abs" "$here/notiwell.wxs")
