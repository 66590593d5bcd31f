#!/usr/bin/env bash
# Builds everything and runs every test tier: native unit and contract tests on the simulated
# machine (with AddressSanitizer and UBSan), then the Windows build's contract tests and the
# end-to-end tests of inventario.exe under Wine, and the static checks of the whole tree.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

cmake --preset native
cmake --build --preset native
ctest --preset native

cmake --preset windows
cmake --build --preset windows
ctest --preset windows

bash scripts/lint.sh
