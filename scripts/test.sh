#!/usr/bin/env bash
# The test command: installs what is missing, configures, builds and runs every test.
#   scripts/test.sh            release build with assertions (preset "ci")
#   scripts/test.sh asan       AddressSanitizer + UBSan build (preset "asan")
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-ci}"

bash scripts/install-deps.sh
cmake --preset "$preset"
cmake --build --preset "$preset" -j "$(nproc)"
ctest --preset "$preset" -j "$(nproc)"
