#!/usr/bin/env bash
# The three windows as a user meets them: under Xvfb at 1280x800 with a
# window manager (twm), each shots program takes the screen at the moments
# the offscreen window tests cannot show, checks what it sees and keeps the
# pictures:
#   - KeyRefresh: the conditions and a refused key's box, before the window is
#     shown, stand in the middle of the screen and speak German;
#   - KeyFetch: the drive chooser is gone, and the window below drawn again,
#     the moment the SD-card import starts; the closing message stands in the
#     middle of the window;
#   - FwFlasher: moved while it flashes, the window stands repainted at its
#     new place with its controls off.
#   scripts/window-check.sh BUILD-FOLDER [OUTPUT-FOLDER]
# Needs xvfb, twm and xfonts-base (scripts/install-deps.sh). Exit status 0
# when every check held.
set -euo pipefail
build="$(cd "${1:?build folder}" && pwd)"
out="${2:-$build/window-check}"
mkdir -p "$out"
out="$(cd "$out" && pwd)"
here="$(cd "$(dirname "$0")/.." && pwd)"
scratch="$(mktemp -d "${TMPDIR:-/tmp}/window-check-XXXXXX")"
trap 'rm -rf "$scratch"' EXIT

mkdir -p "$scratch/card" "$scratch/containers"
printf '[Software\\OLTREX\\Tachograph]\nContainerPath=%s/containers/\n' "$scratch" > "$scratch/registry.ini"
"$build/bin/oltrex-keytool" sdcard "$scratch/card" a.dlb b.2.dlb > /dev/null

cat > "$scratch/session.sh" <<SESSION
#!/usr/bin/env bash
twm -f "$here/keyfetch/gui/shots/twmrc" > /dev/null 2>&1 &
wm=\$!
sleep 1
status=0
OLTREX_REGISTRY="$scratch/registry.ini" "$build/bin/keyfetch-window-shots" --check "$scratch/card" "$out" || status=1
"$build/bin/keyrefresh-window-shots" --check "$out" || status=1
"$build/bin/fwflasher-window-shots" --check "$out" || status=1
kill \$wm
exit \$status
SESSION
chmod +x "$scratch/session.sh"
if xvfb-run -a -s "-screen 0 1280x800x24 -br" "$scratch/session.sh"; then
  echo "window-check: every check held; pictures in $out"
else
  echo "window-check: a check FAILED; pictures in $out" >&2
  exit 1
fi
