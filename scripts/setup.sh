#!/usr/bin/env bash
# Installs the Debian packages the build needs (only those missing) and builds
# the project into build/. Sourced by start.sh and test.sh.
set -euo pipefail

QRX_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
QRX_BUILD="${QRX_BUILD:-$QRX_ROOT/build}"

QRX_PACKAGES=(
  g++ cmake ninja-build pkg-config
  libgtest-dev
  zlib1g-dev libminizip-dev
  qt6-base-dev libgl-dev
  # used by the tests as independent readers of what we write
  python3 python3-dbfread python3-xlrd unzip poppler-utils
)
# needed by the test suite only (scripts/test.sh): a spreadsheet program that reads our workbooks
QRX_TEST_PACKAGES=(gnumeric)

qrx_install_packages() {
  local missing=()
  for p in "${QRX_PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Instalando paquetes: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
}

qrx_build() {
  cmake -S "$QRX_ROOT" -B "$QRX_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$QRX_BUILD" -j "$(nproc)"
}
