#!/usr/bin/env bash
# Sets up (Debian packages, build) and starts the program on its DEMO company.
#
#   scripts/start.sh [ARG]                               the windows
#   scripts/start.sh --script FILE [--pdf PATTERN] [ARG]  plays FILE as the user, without a display
#
# The start folder is ${QRX_START:-$HOME/qrx2012}: the company registry empresa.dbf, the
# report folder, the company template sets and the default picture live there, and drive
# C: of the companies is its folder drive_c (the DEMO company "C:\QRX2012" is
# <start>/drive_c/QRX2012, created on the first question). The installation data are
# copied in at every start without touching the user's companies or empresa.dbf: the
# template sets are refreshed, report files and the picture only when the built ones are
# newer (a template changed in the designer is kept).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
qrx_install_packages
qrx_build -DQRX_BUILD_TESTS=OFF

QRX_DATA="$QRX_BUILD/installdata"
QRX_PROGRAM="$QRX_BUILD/app/qrx2012"
START="${QRX_START:-$HOME/qrx2012}"

if [ ! -x "$QRX_PROGRAM" ]; then
  echo "No se encontró el programa compilado $QRX_PROGRAM." >&2
  exit 1
fi

new_folder=0
if [ ! -e "$START/empresa.dbf" ] && [ ! -d "$START/drive_c" ]; then
  new_folder=1
fi
mkdir -p "$START"

# The company template sets belong to the installation: always the built ones.
for set in datos datos2; do
  mkdir -p "$START/$set"
  cp -f "$QRX_DATA/$set"/* "$START/$set/"
done
# Report templates, the report header table and the picture: only when newer.
mkdir -p "$START/reportes"
cp -u "$QRX_DATA/reportes"/* "$START/reportes/"
cp -u "$QRX_DATA/qrx2012.jpg" "$START/"

# In a new start folder the marker "taviron1.exe" makes the DEMO company be filled from
# the demo set datos2 (with counterparties, rates and posted vouchers) instead of the
# empty templates of datos. The marker is the user's own choice afterwards: it is never
# created in a folder that has been used, nor removed.
if [ "$new_folder" -eq 1 ]; then
  : > "$START/taviron1.exe"
  echo "Carpeta de inicio nueva: $START (la empresa DEMO se llenará con los datos de demostración)"
fi

script_run=0
for a in "$@"; do
  [ "$a" = "--script" ] && script_run=1
done
if [ "$script_run" -eq 0 ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "Aviso: no hay una pantalla (DISPLAY). Para jugar un guion sin pantalla use --script ARCHIVO." >&2
fi

cd "$START"
exec "$QRX_PROGRAM" "$@"
