# Sourced by everything that runs Windows programs under Wine. Sets
# OLTREX_WINE32=yes when this machine runs 32-bit Windows programs (the i686
# build), else "no"; then `wine` (and the tests that call it) runs 64-bit
# programs through the 64-bit loader.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  OLTREX_WINE32=yes
else
  OLTREX_WINE32=no
  if [ -x /usr/lib/wine/wine64 ]; then
    oltrex_wine64_only="$(cd "$(dirname "${BASH_SOURCE[0]:-$0}")" && pwd)/wine64-only"
    case ":$PATH:" in *":$oltrex_wine64_only:"*) ;; *) PATH="$oltrex_wine64_only:$PATH" ;; esac
    export PATH WINELOADER=/usr/lib/wine/wine64
  fi
fi
export OLTREX_WINE32
