#!/usr/bin/env bash
# Builds Notiwell and runs it under Wine with a demo watch folder and one sample message:
#   scripts/run.sh
# The program runs in the foreground until it is ended from its tray menu ("Beenden") or
# with Ctrl+C here. Without a display of its own it runs on a private Xvfb display.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

"$top/scripts/setup.sh"
"$top/scripts/build.sh" x64

had_display=${DISPLAY:-}
source "$top/scripts/wine-session.sh"
trap stop_wine_session EXIT
start_wine_session "$top/build/x64"

drive_c="$WINEPREFIX/drive_c"
program_dir="$drive_c/Notiwell"          # C:\Notiwell\ holds the program, its configuration and log\
demo_dir="$drive_c/NotiwellDemo"         # C:\NotiwellDemo\ is the watch folder
mkdir -p "$program_dir" "$demo_dir"
cp "$top/build/x64/notiwell.exe" "$program_dir/notiwell.exe"

# The configuration next to the program (read there because of /LOCAL): UTF-8 with BOM, CR LF.
{
  printf '\xef\xbb\xbf\r\n'
  printf '[Global]\r\n'
  printf 'WatchDir = C:\\NotiwellDemo\\\r\n'
  printf 'Pollintervall = 1\r\n'
  printf 'NotifyActDay = 0\r\n'
  printf 'AllowAdhoc = 1\r\n'
  printf 'QuitMode = 0\r\n'
} > "$program_dir/notiwell.conf"

# A sample message named after the local time now, so it is newer than the computer's start.
message="$demo_dir/$(date +%Y%m%d_%H%M%S).msg"
printf 'Guten Tag!\r\nDies ist eine Beispielnachricht von Notiwell.\r\nBitte mit "Ok" bestätigen.\r\n' > "$message"

echo "run: watch folder C:\\NotiwellDemo\\ (Linux: $demo_dir)"
echo "run: sample message $(basename "$message")"
echo "run: log in C:\\Notiwell\\log\\notiwell.log (Linux: $program_dir/log/notiwell.log)"
if [ -z "$had_display" ]; then
  echo "run: no display was set; Notiwell runs on the Xvfb display $DISPLAY"
  echo "run: take a screenshot from another shell with:  DISPLAY=$DISPLAY import -window root notiwell.png"
fi
echo "run: starting notiwell.exe /LOCAL (end it from the tray menu with \"Beenden\" or press Ctrl+C)"

cd "$program_dir"
set +e
"$WINE" 'C:\Notiwell\notiwell.exe' /LOCAL </dev/null
code=$?
set -e
echo "run: notiwell.exe ended with exit code $code"
