#!/bin/sh
# Runs a Windows program of the cross build under Wine (the build's tools,
# the tests). The prefix is $WINEPREFIX (made when missing); Wine's own
# diagnostics stay off unless WINEDEBUG asks for them.
set -e
if [ -n "${WINEPREFIX:-}" ]; then mkdir -p "$WINEPREFIX"; fi
export WINEDEBUG="${WINEDEBUG:--all}"
# Debian's `wine` takes the 32-bit loader whenever it is installed; on a kernel
# that runs no 32-bit programs, 64-bit programs still run with the 64-bit one.
if [ -x /usr/lib/wine/wine64 ] && ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  export WINELOADER=/usr/lib/wine/wine64
  exec /usr/lib/wine/wine64 "$@"
fi
exec wine "$@"
