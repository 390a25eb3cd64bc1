#!/usr/bin/env bash
# The Windows build: both architectures (x86_64 and i686) cross-compiled with
# mingw-w64, then their tests and the programs end to end under Wine.
#   scripts/windows.sh             build, tests of both, end-to-end run of both
#   scripts/windows.sh build       the build alone (build/windows-x64/bin, build/windows-x86/bin)
# The tests run the Linux boot-loader simulator, and the end-to-end run
# compares with the Linux programs: the Linux build (preset ci) is made first.
set -euo pipefail
cd "$(dirname "$0")/.."
what="${1:-all}"
jobs="$(nproc)"

bash scripts/install-deps.sh
cmake --preset windows-cross
cmake --build --preset windows-cross
[ "$what" = build ] && exit 0

cmake --preset ci >/dev/null
cmake --build --preset ci -j "$jobs" --target oltrex-bootsim oltrex-keytool oltrex-dlcreader KeyFetch KeyRefresh \
  FwFlasher keylink hime ftd2xx
. cmake/wine-env.sh
arches=(x64 x86)
if [ "$OLTREX_WINE32" = no ]; then
  # Both are built; only the tests need the machine to run them.
  echo "windows: this machine runs no 32-bit programs (kernel without 32-bit support): x86 built, its tests and end-to-end run left out" >&2
  arches=(x64)
fi
for arch in "${arches[@]}"; do
  bash scripts/windows-test.sh "$arch" -j "$jobs"
  bash scripts/windows-e2e.sh "$arch"
done
