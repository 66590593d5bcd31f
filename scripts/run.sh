#!/usr/bin/env bash
# Builds inventario.exe and runs it under Wine, as a technician would run it on a PC. The report
# lands on the Wine user's Desktop; the program waits for ENTER before it ends.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target inventario
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
exec wine build/windows/inventario.exe
