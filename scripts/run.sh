#!/usr/bin/env bash
# Builds inventario.exe and runs it under Wine, as a technician would run it on a PC. The report
# lands on the Wine user's Desktop; the program waits for ENTER before it ends. The i686 exe, the
# one handed out, runs where Wine's 32-bit loader does; elsewhere the x86_64 build runs instead.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
# shellcheck source=../tests/wine/host.sh
. tests/wine/host.sh
if wine_can_run windows; then
  preset=windows
  echo "run: the i686 build (build/windows/inventario.exe) under Wine's 32-bit loader"
else
  preset=windows-x64
  echo "run: the x86_64 build (build/windows-x64/inventario.exe), since $INVENTARIO_WINE_WHY"
fi
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target inventario
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
exec "$WINE" "build/$preset/inventario.exe"
