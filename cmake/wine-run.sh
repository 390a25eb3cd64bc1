#!/bin/bash
# Runs a Windows program of the cross build under Wine (the build's tools,
# the tests). The prefix is $WINEPREFIX (made when missing); Wine's own
# diagnostics stay off unless WINEDEBUG asks for them.
set -e
. "$(dirname "$0")/wine-env.sh"
if [ -n "${WINEPREFIX:-}" ]; then mkdir -p "$WINEPREFIX"; fi
export WINEDEBUG="${WINEDEBUG:--all}"
exec wine "$@"
