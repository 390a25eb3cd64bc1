#!/usr/bin/env bash
# The Windows programs end to end under Wine, each beside its Linux twin:
#   scripts/windows-e2e.sh [x64|x86]
# 1. KeyFetch.exe --headless --start --make-eu, its settings in the registry,
#    downloads a demo key (a workshop card holder "Müller") into the container
#    folder "Tacho Müller": the same file names, the same decrypted containers
#    and byte-identical EU files as the Linux KeyFetch on the same key.
# 2. KeyRefresh.exe --headless --accept-conditions and FwFlasher.exe --headless
#    flash the Linux boot-loader simulator through the COM port COM5 (a link
#    in the Wine prefix to its pseudo-terminal): the simulator stores the
#    image, the same as the Linux programs write.
# Needs the builds of the presets ci and windows-<arch>.
set -euo pipefail
cd "$(dirname "$0")/.."
arch="${1:-x64}"
linux="$PWD/build/ci/bin"
win="$PWD/build/windows-$arch/bin"
for f in "$linux/oltrex-keytool" "$linux/KeyFetch" "$linux/KeyRefresh" "$linux/FwFlasher" \
         "$linux/oltrex-dlcreader" "$linux/oltrex-bootsim" "$win/KeyFetch.exe" "$win/KeyRefresh.exe" \
         "$win/FwFlasher.exe" "$win/keylink.dll" "$win/hime.dll" "$win/FTD2XX.dll"; do
  [ -e "$f" ] || { echo "windows-e2e: $f is missing: build the presets ci and windows-$arch first" >&2; exit 2; }
done

. cmake/wine-env.sh
if [ "$arch" = x86 ] && [ "$OLTREX_WINE32" = no ]; then
  echo "windows-e2e: this machine runs no 32-bit programs (kernel without 32-bit support): the x86 programs cannot run here" >&2
  exit 3
fi

work="$(mktemp -d "${TMPDIR:-/tmp}/oltrex-e2e-$arch.XXXXXX")"
export WINEPREFIX="$work/wine" WINEDEBUG=-all LC_ALL=C.UTF-8
mkdir -p "$WINEPREFIX"
finish() {
  wineserver -k </dev/null >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap finish EXIT
wineserver -p </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1

step() { echo "windows-e2e ($arch): $*"; }
fail() {
  echo "windows-e2e ($arch): FAILED: $*" >&2
  exit 1
}
windowsPath() { winepath -w "$1" 2>/dev/null; }
setting() {
  wine reg add "HKLM\\Software\\OLTREX\\$1" /v "$2" /d "$3" /f /reg:32 </dev/null >/dev/null 2>&1 ||
    fail "cannot set $1\\$2 in the registry"
}

# ---- KeyFetch ----------------------------------------------------------------
folder="Tacho Müller"
for side in linux windows; do
  mkdir -p "$work/$side/tmp" "$work/$side/out"
  "$linux/oltrex-keytool" demo "$work/$side/key" --workshop-holder "Müller" >/dev/null
done

step "KeyFetch on Linux"
cat >"$work/linux/registry.ini" <<INI
[Software\\OLTREX\\OLTREX-KEY]
NoDelete=0
MakeEU=1
Language=DE
[Software\\OLTREX\\Tachograph]
ContainerPath=$work/linux/out/$folder
INI
OLTREX_REGISTRY="$work/linux/registry.ini" OLTREX_KEY="$work/linux/key" TMPDIR="$work/linux/tmp" \
  "$linux/KeyFetch" --headless --start --make-eu --tick-ms 50 --display=lines >"$work/linux/keyfetch.log" 2>&1 ||
  fail "Linux KeyFetch: $(tail -5 "$work/linux/keyfetch.log")"

step "KeyFetch.exe under Wine, settings in the registry"
setting OLTREX-KEY NoDelete 0
setting OLTREX-KEY MakeEU 1
setting OLTREX-KEY Language DE
setting Tachograph ContainerPath "$(windowsPath "$work/windows/out")\\$folder"
OLTREX_KEY="$(windowsPath "$work/windows/key")" \
  wine "$win/KeyFetch.exe" --headless --start --make-eu --tick-ms 50 --display=lines \
  </dev/null >"$work/windows/keyfetch.log" 2>&1 || fail "KeyFetch.exe: $(tail -5 "$work/windows/keyfetch.log")"
grep -q "Summary: 12 of 12 listed files filed." "$work/windows/keyfetch.log" ||
  fail "KeyFetch.exe did not file all twelve files: $(cat "$work/windows/keyfetch.log")"

step "the same files, containers and EU files"
[ -d "$work/windows/out/$folder" ] || fail "no container folder named \"$folder\": $(ls "$work/windows/out")"
# Names that carry the time of the run (cards named at filing) are compared
# without it: "name<TAB>file" per side, sorted by name.
today="$(date +%Y-%m-%d)"
listing() {
  (cd "$1" && find . -type f | sort) | while read -r file; do
    printf '%s\t%s\n' "$(sed -E "s/${today}_[0-9]{2}-[0-9]{2}-[0-9]{2}/<now>/" <<<"$file")" "$file"
  done | sort
}
listing "$work/linux/out/$folder" >"$work/linux/files"
listing "$work/windows/out/$folder" >"$work/windows/files"
diff <(cut -f1 "$work/linux/files") <(cut -f1 "$work/windows/files") >&2 || fail "the filed names differ"
[ "$(grep -c '\.dlc$' "$work/windows/files")" -eq 12 ] || fail "not twelve containers"
[ "$(grep -c '^./EU/.*\.DDD' "$work/windows/files")" -eq 12 ] || fail "not twelve EU files"
grep -q "^./C_Müller_" "$work/windows/files" || fail "no container of the workshop card holder Müller"
while IFS=$'\t' read -r name a _ b; do
  a="$work/linux/out/$folder/$a"
  b="$work/windows/out/$folder/$b"
  case "$name" in
    *.DDD) cmp -s "$a" "$b" || fail "$name differs" ;;
    *.dlc)
      # The containers' EU content, decrypted by the Linux container reader.
      "$linux/oltrex-dlcreader" --quiet --eu "$work/linux.eu" "$a" || fail "$name of Linux does not read"
      "$linux/oltrex-dlcreader" --quiet --eu "$work/windows.eu" "$b" || fail "$name of Windows does not read"
      cmp -s "$work/linux.eu" "$work/windows.eu" || fail "$name holds other content"
      rm -f "$work/linux.eu" "$work/windows.eu"
      ;;
  esac
done < <(paste "$work/linux/files" "$work/windows/files")
left="$("$linux/oltrex-keytool" list "$work/windows/key" | grep -c -i -E 'oltrexlog|trep' || true)"
[ "$left" -eq 2 ] || fail "the Windows run left other files on the key"

# ---- KeyRefresh and FwFlasher -------------------------------------------------
flash() { # side program firmware-label
  local side="$1" program="$2" label="$3" key="$work/flash-$1-$2/key"
  "$linux/oltrex-keytool" empty "$key" --firmware 0110 >/dev/null
  local args=(--headless --accept-conditions)
  if [ "$side" = linux ]; then
    OLTREX_KEY="$key" OLTREX_FTDI_PORT="$work/flash-$1-$2/ttyKEY" OLTREX_DATA_DIR="$work/flash-$1-$2" \
      TMPDIR="$work/flash-$1-$2" "$linux/$program" "${args[@]}" >"$key.log" 2>&1 ||
      fail "Linux $program: $(tail -5 "$key.log")"
  else
    OLTREX_KEY="$(windowsPath "$key")" OLTREX_FTDI_PORT=COM5 OLTREX_BOOTSIM="$linux/oltrex-bootsim" \
      OLTREX_DATA_DIR="$(windowsPath "$work/flash-$1-$2")" \
      wine "$win/$program.exe" "${args[@]}" </dev/null >"$key.log" 2>&1 ||
      fail "$program.exe: $(tail -5 "$key.log")"
  fi
  # The simulator stores the image once its answer to the reboot went out.
  for _ in $(seq 50); do grep -q "^firmware=$label" "$key/key.ini" && break; sleep 0.1; done
  grep -q "^firmware=$label" "$key/key.ini" || fail "$side $program: the key does not report FW-$label"
  [ -s "$key/firmware.bin" ] || fail "$side $program: the simulator stored no image"
}
for program in KeyRefresh FwFlasher; do
  label=$([ "$program" = KeyRefresh ] && echo 0120 || echo 0114)
  step "$program on Linux and $program.exe under Wine through COM5"
  flash linux "$program" "$label"
  flash windows "$program" "$label"
  cmp -s "$work/flash-linux-$program/key/firmware.bin" "$work/flash-windows-$program/key/firmware.bin" ||
    fail "$program.exe flashed another image"
done
[ -s "$work/flash-windows-KeyRefresh/OLTREXKeyRefresh.log" ] || fail "KeyRefresh.exe kept no update log"

step "passed"
