#!/bin/sh
# Runs a Windows program of the cross build under Wine (the build's tools,
# the tests). The prefix is $WINEPREFIX (made when missing); Wine's own
# diagnostics stay off unless WINEDEBUG asks for them.
set -e
if [ -n "${WINEPREFIX:-}" ]; then mkdir -p "$WINEPREFIX"; fi
export WINEDEBUG="${WINEDEBUG:--all}"
# Debian's "wine" starts its 32-bit loader first, which a kernel without
# 32-bit support cannot run: there 64-bit programs go to wine64 directly
# (32-bit ones cannot run at all).
if [ -x /usr/lib/wine/wine64 ] && ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  export WINELOADER=/usr/lib/wine/wine64
  exec /usr/lib/wine/wine64 "$@"
fi
exec wine "$@"
