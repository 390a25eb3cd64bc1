#!/usr/bin/env bash
# Pictures of FwFlasher's Win32 windows under Wine and Xvfb, into docs/ beside
# the Linux ones (docs/fwflasher-*.png):
#   docs/win32-fwflasher-conditions.png  the conditions box over the form
#   docs/win32-fwflasher-window.png      the form without "/d", key read
#   docs/win32-fwflasher-info.png        the info form
#   docs/win32-fwflasher-flashing.png    with "/d", while it flashes
#   docs/win32-fwflasher-flashed.png     with "/d", after the flash
# and of KeyRefresh's (docs/keyrefresh-*.png on Linux):
#   docs/win32-keyrefresh-conditions.png    the conditions box
#   docs/win32-keyrefresh-key-page.png      the key page, key read
#   docs/win32-keyrefresh-about.png         the About box of the system menu
#   docs/win32-keyrefresh-update-page.png   the update page while it updates
#   docs/win32-keyrefresh-finished-page.png the finished page after the update
# and of KeyFetch's (docs/keyfetch-*.png on Linux):
#   docs/win32-keyfetch-main.png      the main dialog, demo key read
#   docs/win32-keyfetch-about.png     the About box of the system menu
#   docs/win32-keyfetch-drives.png    the drive chooser of the SD-card import
#   docs/win32-keyfetch-download.png  during the download
#   scripts/windows-pictures.sh [x64|x86] [OUTPUT-FOLDER]
# The key is a simulated one (keylink.dll, FTD2XX.dll of the tests), its boot
# loader the Linux oltrex-bootsim on COM5. Wine draws the window frames itself
# (unmanaged windows), so no window manager is needed. Needs the builds of the
# presets ci and windows-<arch>, xvfb and imagemagick (scripts/install-deps.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
arch="${1:-x64}"
out="${2:-$PWD/docs}"
mkdir -p "$out"
out="$(cd "$out" && pwd)"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x800x24" bash "$0" "$arch" "$out"
fi
linux="$PWD/build/ci/bin"
win="$PWD/build/windows-$arch/bin"
for f in "$linux/oltrex-keytool" "$linux/oltrex-bootsim" "$win/fwflasher-win32-window-shots.exe" \
         "$win/keylink.dll" "$win/FTD2XX.dll"; do
  [ -e "$f" ] || { echo "windows-pictures: $f is missing: build the presets ci and windows-$arch first" >&2; exit 2; }
done

. cmake/wine-env.sh
work="$(mktemp -d "${TMPDIR:-/tmp}/oltrex-pictures-$arch.XXXXXX")"
export WINEPREFIX="$work/wine" WINEDEBUG=-all LC_ALL=C.UTF-8
mkdir -p "$WINEPREFIX"
finish() {
  wineserver -k </dev/null >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap finish EXIT
wineserver -p </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1

# One run of a shots program ($program, else FwFlasher's; $bootsimArgs: more for the simulator):
# each "shot NAME LEFT TOP WIDTH HEIGHT" it writes is answered once the screen is taken.
shots() {
  "$linux/oltrex-keytool" empty "$work/key-$1" --firmware 0110 >/dev/null
  coproc SHOTS {
    OLTREX_KEY="$(winepath -w "$work/key-$1" 2>/dev/null)" OLTREX_FTDI_PORT=COM5 OLTREX_BOOTSIM="$linux/oltrex-bootsim" \
      OLTREX_BOOTSIM_ARGS="--idle-timeout 20 $bootsimArgs" wine "$win/${program:-fwflasher-win32-window-shots.exe}" "${@:2}" 2>&1
  }
  # Bash drops these once the program has ended.
  local pid="$SHOTS_PID" input="${SHOTS[0]}" reply="${SHOTS[1]}"
  local word name x y w h
  while IFS=' ' read -r -u "$input" word name x y w h; do
    h="${h%$'\r'}"
    if [ "$word" != shot ]; then
      echo "windows-pictures: $word $name $x $y $w $h" >&2
      continue
    fi
    import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out/$name.png"
    echo "wrote $out/$name.png"
    echo ok >&"$reply"
  done
  wait "$pid"
}
bootsimArgs="" shots plain
# Each answer a little late, so that the window is caught in the middle of the flash.
bootsimArgs="--delay 100" shots memo /d

# KeyRefresh: one run through all its windows, the simulator again a little
# late, so that the update page is caught while it updates.
[ -e "$win/keyrefresh-win32-window-shots.exe" ] || {
  echo "windows-pictures: $win/keyrefresh-win32-window-shots.exe is missing: build the preset windows-$arch first" >&2
  exit 2
}
program=keyrefresh-win32-window-shots.exe bootsimArgs="--delay 100" shots refresh

# KeyFetch: the shots program fills the key with the demo files and downloads
# them slowly, so that the main dialog is caught during the download.
[ -e "$win/keyfetch-win32-window-shots.exe" ] && [ -e "$win/hime.dll" ] || {
  echo "windows-pictures: build the windows-$arch targets keyfetch-win32-window-shots and hime first" >&2
  exit 2
}
program=keyfetch-win32-window-shots.exe bootsimArgs="" shots keyfetch "$(winepath -w "$work/keyfetch-containers" 2>/dev/null)"
