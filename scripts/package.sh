#!/usr/bin/env bash
# Builds the packages and tries each one out:
#   the .deb (build/ci/packages): installed with dpkg, its programs started, its
#     desktop entries validated, a demo key downloaded, removed again;
#   the Windows setup programs (build/windows-x64/packages, build/windows-x86/packages):
#     installed silently under Wine in a fresh prefix, KeyFetch.exe started,
#     the Start-menu links checked, uninstalled silently, the removal checked.
# The build folders are those of CI's earlier steps when they exist; only what
# the packages hold is built.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
jobs="$(nproc)"

bash scripts/install-deps.sh

fail() { echo "package: $*" >&2; exit 1; }

# A kernel without 32-bit support runs neither the i686 build's tools nor a
# 32-bit program under Wine: then only the x64 setup program is made.
windows_arches=(x64)
. cmake/wine-env.sh
if [ "$OLTREX_WINE32" = yes ]; then
  windows_arches+=(x86)
else
  echo "package: this machine runs no 32-bit programs: no x86 setup program here"
fi

make_package() {  # preset, more targets
  local preset="$1"
  shift
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs" --target oltrex-package-contents "$@"
  rm -rf "build/$preset/packages"
  (cd "build/$preset" && cpack >/dev/null)
}

# ---------------------------------------------------------------------------
# Linux
make_package ci
deb="$(ls build/ci/packages/oltrex-key_*.deb)"

work="$(mktemp -d)"
export WINEPREFIX="$work/wine"
cleanup() {
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    wineserver -k </dev/null >/dev/null 2>&1 || true
  fi
  if dpkg-query -W -f='${Status}' oltrex-key 2>/dev/null | grep -q "install ok installed"; then
    dpkg -P oltrex-key >/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

echo "== $deb"
dpkg-deb --info "$deb" | grep -E '^ (Version|Depends):'
dpkg -i "$deb" >/dev/null || apt-get -f install -y -qq >/dev/null
for program in KeyFetch KeyRefresh FwFlasher oltrex-keytool oltrex-dlcreader oltrex-fwheader oltrex-bootsim; do
  [ -x "/usr/bin/$program" ] || fail "/usr/bin/$program missing"
done
KeyFetch --help | grep -q -- '--headless' || fail "KeyFetch --help prints no help"
desktop-file-validate /usr/share/applications/oltrex-*.desktop
for name in keyfetch keyrefresh fwflasher; do
  grep -qx "Icon=oltrex-$name" "/usr/share/applications/oltrex-$name.desktop"
  [ -f "/usr/share/icons/hicolor/scalable/apps/oltrex-$name.svg" ] &&
    [ -f "/usr/share/icons/hicolor/48x48/apps/oltrex-$name.png" ] || fail "icon oltrex-$name missing"
done
# The windows come up (still running after two seconds).
for program in KeyRefresh FwFlasher; do
  status=0
  QT_QPA_PLATFORM=offscreen timeout 2 "$program" >/dev/null 2>&1 || status=$?
  [ "$status" -eq 124 ] || fail "$program ended at once (status $status)"
done
# A demo key downloaded by the installed programs: the simulated key and the
# cipher library are found where the package put them.
cat > "$work/registry.ini" <<INI
[Software\\OLTREX\\Tachograph]
ContainerPath=$work/containers
[Software\\OLTREX\\OLTREX-KEY]
MakeEU=0
INI
mkdir -p "$work/containers"
oltrex-keytool demo "$work/key" >/dev/null
OLTREX_REGISTRY="$work/registry.ini" OLTREX_KEY="$work/key" TMPDIR="$work" \
  KeyFetch --headless --start --tick-ms 50 --display lines >/dev/null
containers=("$work"/containers/*.dlc)
oltrex-dlcreader "${containers[0]}" >/dev/null
echo "package: .deb installed, ${#containers[@]} containers from its KeyFetch, removed again"
dpkg -P oltrex-key >/dev/null
[ ! -e /usr/bin/KeyFetch ] || fail "dpkg -P left /usr/bin/KeyFetch"

# ---------------------------------------------------------------------------
# Windows: the x64 setup program first, then the x86 one in the same prefix.
setups=()
run="$root/cmake/wine-run.sh"
export WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe=d"
mkdir -p "$WINEPREFIX"
wineserver -p </dev/null >/dev/null 2>&1
"$run" cmd /c exit </dev/null >/dev/null 2>&1

for arch in "${windows_arches[@]}"; do
  make_package "windows-$arch" keylink
  setup="$(ls "$root/build/windows-$arch/packages/"oltrex-key-*-setup.exe)"
  echo "== $setup"
  if [ "$arch" = x64 ]; then
    folder="$WINEPREFIX/drive_c/Program Files/OLTREX Key-Programme"
    uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\OLTREX Key-Programme (64 Bit)'
    view=/reg:64
  else
    folder="$WINEPREFIX/drive_c/Program Files (x86)/OLTREX Key-Programme"
    uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\OLTREX Key-Programme (32 Bit)'
    view=/reg:32
  fi
  menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/${uninstall_key##*\\}"

  "$run" "$setup" /S </dev/null >/dev/null 2>&1
  for file in KeyFetch.exe KeyRefresh.exe FwFlasher.exe hime.dll Uninstall.exe; do
    [ -f "$folder/$file" ] || fail "$arch: $file not installed"
  done
  for file in keylink.dll FTD2XX.dll; do
    [ ! -e "$folder/$file" ] || fail "$arch: $file must not be shipped"
  done
  for link in KeyFetch KeyRefresh FwFlasher Uninstall; do
    [ -f "$menu/$link.lnk" ] || fail "$arch: Start-menu link $link.lnk missing"
  done
  "$run" reg query "$uninstall_key" "$view" </dev/null >/dev/null 2>&1 || fail "$arch: not in Add/Remove programs"

  # KeyFetch.exe binds keylink.dll at load time: the simulated one, from the
  # build, on the search path only.
  mkdir -p "$work/keylink-$arch"
  cp "build/windows-$arch/bin/keylink.dll" "$work/keylink-$arch/"
  WINEPATH="$("$run" winepath -w "$work/keylink-$arch" 2>/dev/null)" \
    "$run" "$folder/KeyFetch.exe" --help </dev/null >"$work/help.txt" 2>&1 || true
  grep -q -- '--headless' "$work/help.txt" || { cat "$work/help.txt"; fail "$arch: KeyFetch.exe --help prints no help"; }

  # The uninstaller goes on from a copy of itself and ends on its own.
  "$run" "$folder/Uninstall.exe" /S </dev/null >/dev/null 2>&1
  for _ in $(seq 60); do
    [ -e "$folder" ] || [ -e "$menu" ] || break
    sleep 1
  done
  [ ! -e "$folder" ] || fail "$arch: uninstaller left $(ls "$folder")"
  [ ! -e "$menu" ] || fail "$arch: uninstaller left the Start-menu folder"
  if "$run" reg query "$uninstall_key" "$view" </dev/null >/dev/null 2>&1; then
    fail "$arch: uninstaller left its Add/Remove programs entry"
  fi
  echo "package: $arch setup installed, KeyFetch.exe started, uninstalled"
done

for arch in "${windows_arches[@]}"; do setups+=(build/windows-"$arch"/packages/*-setup.exe); done
ls -l "$deb" "${setups[@]}"
