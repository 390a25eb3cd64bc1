#!/usr/bin/env bash
# Drive letters of the Wine prefix for the drive-letter test:
#   wine-drives.sh setup FOLDER    R: removable, N: network, Q: CD-ROM (label OLTREX-CD),
#                                  each a sub-folder of FOLDER
#   wine-drives.sh cleanup FOLDER  takes them away again
# Wine's mount manager reads its drives when the server starts, so the server
# is restarted (persistent, and holding none of CTest's pipes).
set -euo pipefail
action="$1"
folder="$2"
: "${WINEPREFIX:?the Wine prefix of the test run}"
export WINEDEBUG=-all
. "$(dirname "$0")/../../cmake/wine-env.sh"
drives=("r:floppy:removable" "n:network:network" "q:cdrom:cdrom")

restart_server() {
  wineserver -k </dev/null >/dev/null 2>&1 || true
  wineserver -w </dev/null >/dev/null 2>&1 || true
  wineserver -p </dev/null >/dev/null 2>&1
  wine cmd /c exit </dev/null >/dev/null 2>&1
}

for entry in "${drives[@]}"; do
  IFS=: read -r letter type name <<<"$entry"
  if [ "$action" = setup ]; then
    mkdir -p "$folder/$name"
    ln -sfn "$folder/$name" "$WINEPREFIX/dosdevices/$letter:"
    wine reg add 'HKLM\Software\Wine\Drives' /v "$letter:" /d "$type" /f /reg:64 </dev/null >/dev/null 2>&1
  else
    rm -f "$WINEPREFIX/dosdevices/$letter:"
    wine reg delete 'HKLM\Software\Wine\Drives' /v "$letter:" /f /reg:64 </dev/null >/dev/null 2>&1 || true
  fi
done
if [ "$action" = setup ]; then
  printf 'OLTREX-CD' >"$folder/cdrom/.windows-label"
fi
restart_server
