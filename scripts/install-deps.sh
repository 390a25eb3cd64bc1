#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need; only what is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ gcc make pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libssl-dev openssl
  qt6-base-dev libgl-dev qt6-translations-l10n xvfb xauth twm xfonts-base
  clang libclang-rt-14-dev
  # The Windows build (mingw-w64, posix threads) and its tests under Wine,
  # 64-bit and 32-bit; GoogleTest's sources are built with the cross compilers.
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix googletest
  wine wine64 wine32:i386 libgnutls30:i386  # bcrypt.dll of 32-bit Wine uses GnuTLS
  imagemagick  # pictures of the Win32 windows under Wine and Xvfb (import)
  # Packages: program icons (PNG sizes, Windows .ico), the NSIS setup programs,
  # the .deb's dependencies and the check of its desktop entries.
  librsvg2-bin icoutils nsis dpkg-dev file desktop-file-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all build dependencies are present"
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null; then SUDO=sudo; else
    echo "install-deps: missing packages: ${missing[*]}; run this script as root" >&2
    exit 1
  fi
else
  SUDO=
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# wine32 is an i386 package.
if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
