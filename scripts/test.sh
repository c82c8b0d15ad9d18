#!/usr/bin/env bash
# Sets up (Debian packages, build) and runs the whole test suite.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
qrx_install_packages "${QRX_TEST_PACKAGES[@]}"
qrx_build -DQRX_BUILD_TESTS=ON
cd "$QRX_BUILD"
ctest --output-on-failure -j "$(nproc)"
