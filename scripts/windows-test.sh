#!/usr/bin/env bash
# The Windows build's tests under Wine, in a fresh Wine prefix of their own.
#   scripts/windows-test.sh [x64|x86] [more ctest arguments]
# Without a display of its own it runs under Xvfb (the dialog tests).
# Wine's server is started first and kept while CTest runs (a server that a
# test started would hold CTest's output pipe open), and ended afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."
# The dialog tests need a display: without one, the run goes under Xvfb.
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
  exec xvfb-run -a -s "-screen 0 1280x800x24" bash "$0" "$@"
fi
arch="${1:-x64}"
shift || true
preset="windows-$arch"
. cmake/wine-env.sh
if [ "$arch" = x86 ] && [ "$OLTREX_WINE32" = no ]; then
  echo "windows-test: this machine runs no 32-bit programs (kernel without 32-bit support): the x86 tests cannot run here" >&2
  exit 3
fi

# The prefix the test preset names (build/wine/<preset>), made anew.
export WINEPREFIX="$PWD/build/wine/$preset"
export WINEDEBUG=-all
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
wineserver -p </dev/null >/dev/null 2>&1
trap 'wineserver -k </dev/null >/dev/null 2>&1 || true' EXIT
wine cmd /c exit </dev/null >/dev/null 2>&1

ctest --preset "$preset" --timeout 120 "$@"
