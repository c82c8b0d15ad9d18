#!/usr/bin/env bash
# Sets up (Debian packages, build) and starts the program on its DEMO company.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
qrx_install_packages
qrx_build -DQRX_BUILD_TESTS=OFF
echo
echo "Compilado en $QRX_BUILD: la biblioteca de tablas, la capa de plataforma, la capa de pantallas"
echo "y la herramienta qrx-dbf ($QRX_BUILD/tools/qrx-dbf --help)."
echo "El programa qrx2012 (arranque, ventana principal, empresas) todavía no está escrito."
