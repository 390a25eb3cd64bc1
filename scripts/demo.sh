#!/usr/bin/env bash
# The main job on the simulated key: builds the programs, makes a demo key,
# downloads it with KeyFetch's console front end into demo/containers and
# lists what was filed through the container reader.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"

bash scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" \
  --target oltrex-keytool KeyFetch oltrex-dlcreader keylink hime
bin="$root/build/release/bin"

demo="$root/demo"
rm -rf "$demo"
mkdir -p "$demo/containers"
chmod 700 "$demo"

# The registry stand-in: containers go to demo/containers, EU files to its EU/.
cat > "$demo/registry.ini" <<INI
[Software\\OLTREX\\Tachograph]
ContainerPath=$demo/containers
InstTyp=
[Software\\OLTREX\\OLTREX-KEY]
MakeEU=1
NoDelete=0
Language=DE
INI

"$bin/oltrex-keytool" demo "$demo/key"
echo "== the demo key =="
"$bin/oltrex-keytool" list "$demo/key"

echo "== download =="
OLTREX_REGISTRY="$demo/registry.ini" OLTREX_KEY="$demo/key" \
  "$bin/KeyFetch" --headless --start --make-eu --tick-ms 200

echo "== filed containers =="
find "$demo/containers" -maxdepth 1 -type f -name '*.dlc' -print0 | sort -z |
  while IFS= read -r -d '' f; do "$bin/oltrex-dlcreader" "$f"; done
echo "== EU files =="
ls -l "$demo/containers/EU" 2>/dev/null || true
echo "== left on the key =="
"$bin/oltrex-keytool" list "$demo/key"
