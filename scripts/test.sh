#!/usr/bin/env bash
# Builds everything and runs every test tier: native unit and contract tests on the simulated
# machine (with AddressSanitizer and UBSan), then, for each Windows build (i686 and x86_64), the
# exe's shape and, where this host can run that build under Wine, its contract tests and the
# end-to-end tests of inventario.exe, then whether both exes rebuild bit for bit elsewhere (and
# sign into a release whose signatures come off to give them back), and last the static checks of
# the whole tree.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
# shellcheck source=../tests/wine/host.sh
. tests/wine/host.sh

cmake --preset native
cmake --build --preset native
ctest --preset native

# Both exes are built and checked for shape on any host; what runs under Wine is said per build.
for preset in windows windows-x64; do
  cmake --preset "$preset"
  cmake --build --preset "$preset"
done

windows_tiers=()
if wine_can_run windows; then
  windows_tiers+=("windows (i686): Windows tiers run under Wine's 32-bit loader")
else
  windows_tiers+=("windows (i686): built and checked for shape only; not run: $INVENTARIO_WINE_WHY")
fi
# The x86_64 tiers always take the path of a host without 32-bit support, so that path is tested
# on every host, including those that also run the i686 tiers.
windows_tiers+=("windows-x64 (x86_64): Windows tiers run under Wine's 64-bit loader alone")
printf 'test: %s\n' "${windows_tiers[@]}"

if wine_can_run windows; then
  ctest --preset windows
else
  ctest --preset windows -R '^(exe-shape|wine-host)$'
fi
(
  unset INVENTARIO_WINE_BUILDS WINE WINELOADER
  export INVENTARIO_WINE64_ONLY=1
  ctest --preset windows-x64
)

# Two builds of this tree in two other folders give the same exes, byte for byte; a release signed
# with a throwaway certificate verifies and gives them back once its signatures are removed.
bash tests/pe/reproducible.sh

bash scripts/lint.sh
printf 'test: %s\n' "${windows_tiers[@]}"
