#!/usr/bin/env bash
# Takes the documentation's screenshots of the KeyFetch window under Xvfb
# with a plain window manager (twm, X core fonts: Debian twm, xfonts-base):
#   keyfetch/gui/shots/take-screenshots.sh <build folder> [output folder]
# Writes keyfetch-main.png, keyfetch-download.png and keyfetch-drives.png.
set -euo pipefail
build="$(cd "${1:?build folder}" && pwd)"
here="$(cd "$(dirname "$0")" && pwd)"
out="$(mkdir -p "${2:-$here/../../../docs}" && cd "${2:-$here/../../../docs}" && pwd)"
demo="$(mktemp -d "${TMPDIR:-/tmp}/keyfetch-shots-XXXXXX")"
trap 'rm -rf "$demo"' EXIT

mkdir -p "$demo/containers"
printf '[Software\\OLTREX\\OLTREX-KEY]\nMakeEU=1\n[Software\\OLTREX\\Tachograph]\nContainerPath=%s/containers/\n' \
  "$demo" > "$demo/registry.ini"
# A demo key whose reads take a while, so the activity bar is seen moving.
"$build/bin/oltrex-keytool" demo "$demo/key" --read-delay 400 > /dev/null

cat > "$demo/session.sh" <<SESSION
#!/usr/bin/env bash
twm -f "$here/twmrc" > /dev/null 2>&1 &
wm=\$!
sleep 1
OLTREX_REGISTRY="$demo/registry.ini" "$build/bin/keyfetch-window-shots" "$demo/key" "$out"
status=\$?
kill \$wm
exit \$status
SESSION
chmod +x "$demo/session.sh"
xvfb-run -a -s "-screen 0 640x400x24 -br" "$demo/session.sh"
